// Writes the seeds of every fuzz target into OUT/<target>/, from the project's own samples: the
// local feed server's answers to its scenario, the shipped XML files, the program's own
// parameters.xml, aircraft.cfg files made from the sample livery list (and one with a 100 KB key
// line), the same text in every charset, and the encryptor's output.
#include "fuzz_support.h"

#include "answers.h"
#include "foundation/load_parameters.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "stream_encrypt.h"

#include <fmt/format.h>
#include <iostream>
#include <map>
#include <pugixml.hpp>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

fs::path g_out;

void lf_seed(const char* target, const std::string& name, int reader, std::string_view bytes)
{
    std::string seed = reader < 0 ? std::string() : std::string(1, static_cast<char>(reader));
    fuzzsupport::writeFile(g_out / target / name, seed.append(bytes));
}

void lf_answerSeeds()
{
    using namespace feedserver;
    const Scenario scenario = gf_parseScenario(fuzzsupport::readSample("data/feed/scenario.json"));
    const Box box{53.5, 51.0, 3.0, 6.5};
    const double epoch = 1767225600.0;
    for (const double t : {30.0, 300.0}) {
        const AskedTime at{t, epoch + t};
        const auto lt_answer = [&](const char* key, int interval, const json& data) {
            return json{{"status", 200}, {key, interval}, {"data", data}}.dump();
        };
        const std::string tag = fmt::format("{}", t);
        lf_seed("answers_fuzz", "metar" + tag, 0, lt_answer("rrl", 2000, gf_nearestMetarData(scenario, 52.3, 4.76)));
        lf_seed("answers_fuzz", "weather" + tag, 1,
                lt_answer("wrrl", 2000, gf_weatherData(gf_findStation(scenario, "EHAM", 52.3, 4.76))));
        lf_seed("answers_fuzz", "buffer" + tag, 2, lt_answer("rrl", 2000, gf_bufferedData(scenario, box, at, 5, 6)));
        lf_seed("answers_fuzz", "traffic" + tag, 3, lt_answer("rrl", 2000, gf_liveData(scenario, box, at)));
        lf_seed("answers_fuzz", "parked" + tag, 4, lt_answer("rrl", 2000, gf_parkedData(scenario, box, at.epochSeconds)));
    }
    lf_seed("answers_fuzz", "auth", 5,
            R"({"status":200,"GUID":"5c4f-0d1e","rrl":2000,"wrrl":2000,"server":"trwk-local","message":"authenticated"})");
    lf_seed("answers_fuzz", "refused", 5, R"({"status":402,"message":"license expired"})");
    lf_seed("answers_fuzz", "deauth", 6, R"({"status":200,"message":"Deauthenticated","server":"trwk-local"})");
    lf_seed("answers_fuzz", "slow", 3, R"({"status":406,"message":"too many requests","rrl":1})");
}

// one aircraft.cfg per type of the sample livery list, standard and IVAO
void lf_cfgSeeds(const pugi::xml_document& liveries)
{
    std::map<std::string, std::string> standard;
    std::map<std::string, std::string> ivao;
    std::map<std::string, int> sections;
    for (const pugi::xml_node liv : liveries.child("liveries").children("liv")) {
        const std::string type = liv.attribute("type").as_string();
        const std::string title = liv.attribute("title").as_string();
        const std::string airline = liv.attribute("airl").as_string();
        const int n = sections[type]++;
        if (n == 0)
            standard[type] = fmt::format("[General]\r\nicao_type_designator = \"{}\"\r\n", type);
        standard[type] += fmt::format("\r\n[fltsim.{}]\r\ntitle = \"{}\"\r\nicao_airline = {}\r\natc_id = {}\r\n"
                                      "atc_parking_types = {}\r\n// end of livery\r\n",
                                      n, title, airline, liv.attribute("atcid").as_string(),
                                      liv.attribute("cargo").as_bool() ? "CARGO" : "GATE,RAMP");
        ivao[type] += fmt::format("[fltsim.{}]\ntitle={}W {} {}\ntexture=DLH\natc_id={}\n", n, "B738", airline, n,
                                  liv.attribute("atcid").as_string());
    }
    for (const auto& [type, text] : standard) {
        lf_seed("aircraft_cfg_fuzz", "standard-" + type, 0, text);
        lf_seed("text_fuzz", "cfg-" + type, 0, text);
    }
    for (const auto& [type, text] : ivao)
        lf_seed("aircraft_cfg_fuzz", "ivao-" + type, 1, text);
    lf_seed("aircraft_cfg_fuzz", "long-line", 0,
            "[General]\nbase_container = \"..\\Asobo_A320_NEO\"\n[fltsim.0]\ntitle = " + std::string(100000, 'x') +
                "\nicao_airline = \"" + std::string(1000, ' ') + "\"\n");
    lf_seed("aircraft_cfg_fuzz", "path", 2, "C:\\sim\\IVAO_MTL\\SimObjects\\Airplanes\\IVAO_B738WLfa\\aircraft.cfg");
}

void lf_textSeeds()
{
    const std::u16string text = u"[fltsim.0]\r\ntitle = A320 Tarnwick \u00e9\u20ac\U0001F6EB\r\nicao_airline = DLH\r\n";
    std::string le = "\xFF\xFE";
    std::string be = "\xFE\xFF";
    for (const char16_t u : text) {
        le += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        be += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
    }
    lf_seed("text_fuzz", "utf16le", 0, le);
    lf_seed("text_fuzz", "utf16be", 0, be);
    lf_seed("text_fuzz", "utf16le-lines", 1, le.substr(2));
    lf_seed("text_fuzz", "utf16be-lines", 2, be.substr(2));
    const std::string utf8 = "title = A320 Tarnwick \xC3\xA9\xE2\x82\xAC\xF0\x9F\x9B\xAB\r\n";
    lf_seed("text_fuzz", "utf8-bom", 0, "\xEF\xBB\xBF" + utf8);
    lf_seed("text_fuzz", "ansi", 0, "title = A320 Tarnwick \xE9\r\n");
    lf_seed("text_fuzz", "codec", 3, utf8);
}

void lf_encryptedSeeds()
{
    for (const char* name : {"AIG-regcodes", "dbase"}) {
        const fs::path encrypted = g_out / "decrypt_fuzz" / name;
        fs::create_directories(encrypted.parent_path());
        gf_streamEncrypt(fs::path(TRWK_SOURCE_DIR) / "data/plain" / (std::string(name) + ".xml"), encrypted);
    }
    fuzzsupport::writeFile("short.txt", "short");
    gf_streamEncrypt("short.txt", g_out / "decrypt_fuzz" / "short");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: trwk_fuzz_seeds OUT\n";
        return 2;
    }
    g_out = fs::absolute(argv[1]);
    fuzzsupport::enterProgramFolder();
    lf_answerSeeds();

    const std::string liveries = fuzzsupport::readSample("data/output/LiveriesScanned.xml");
    lf_seed("xml_fuzz", "liveries", 0, liveries);
    lf_seed("xml_fuzz", "dbase", 1, fuzzsupport::readSample("data/plain/dbase.xml"));
    lf_seed("xml_fuzz", "regcodes", 2, fuzzsupport::readSample("data/plain/AIG-regcodes.xml"));
    lf_seed("xml_fuzz", "my-regcodes", 3, "A320 Unwanted\r\nB744 Retro ; D-ABYT\r\nA321 Team ; D-AIDA, D-AIDB ; #\r\n");
    gf_initDataPaths();
    fs::create_directories(g_dataFolder);
    gf_resetOptions();
    gf_loadParameters(); // the program writes its own parameters.xml
    lf_seed("xml_fuzz", "parameters", 4, fuzzsupport::readFile(g_parametersPath));

    pugi::xml_document doc;
    doc.load_string(liveries.c_str());
    lf_cfgSeeds(doc);
    lf_textSeeds();
    lf_encryptedSeeds();
    return 0;
}
