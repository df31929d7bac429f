// trwk_feed_server --scenario FILE (--license KEY | --license-file FILE) [--port N]
// Prints the bound port as the first line of stdout, then serves until SIGINT or SIGTERM.
#include "feed_server.h"
#include "scenario.h"

#include <csignal>
#include <cstdlib>
#include <fmt/format.h>
#include <fstream>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>

namespace {

constexpr const char* lf_usage =
    "usage: trwk_feed_server --scenario FILE (--license KEY | --license-file FILE) [--port N]\n"
    "  --port 0 (the default) lets the system choose; the port is the first line of stdout\n";

struct Options {
    std::string scenario;
    std::optional<std::string> license;
    std::optional<std::string> licenseFile;
    int port = 0;
};

std::optional<Options> lf_options(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string value = argv[++i];
        if (arg == "--scenario")
            o.scenario = value;
        else if (arg == "--license")
            o.license = value;
        else if (arg == "--license-file")
            o.licenseFile = value;
        else if (arg == "--port")
            o.port = std::stoi(value);
        else
            return std::nullopt;
    }
    if (o.scenario.empty() || o.license.has_value() == o.licenseFile.has_value() || o.port < 0 || o.port > 65535)
        return std::nullopt;
    return o;
}

// the first line, without surrounding blanks: as the program reads its key file
std::string lf_readKey(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::string line;
    std::getline(file, line);
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        throw std::runtime_error("no license key in " + path);
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<Options> options;
    try {
        options = lf_options(argc, argv);
    } catch (const std::exception&) {
    }
    if (!options) {
        std::cerr << lf_usage;
        return 2;
    }
    try {
        // SIGINT and SIGTERM go to the waiting thread below, not to the server's threads
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);

        const feedserver::Scenario scenario = feedserver::gf_readScenario(options->scenario);
        feedserver::FeedServer server(scenario, options->license ? *options->license : lf_readKey(*options->licenseFile));
        server.setLog([](const std::string& line) { std::cerr << "trwk_feed_server: " << line << std::endl; });
        const int port = server.bind(options->port);
        std::cout << port << std::endl;
        std::cerr << fmt::format("trwk_feed_server: {} flights, {} parked aircraft, {} stations on 127.0.0.1:{}\n",
                                 scenario.flights.size(), scenario.parked.size(), scenario.stations.size(), port);

        std::thread waiter([&server, signals] {
            int received = 0;
            sigwait(&signals, &received);
            server.stop();
        });
        server.run();
        // the server may also have ended by itself: wake the waiter
        pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "trwk_feed_server: " << e.what() << "\n";
        return 1;
    }
}
