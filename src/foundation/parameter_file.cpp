#include "foundation/parameter_file.h"

#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/paths.h"
#include "foundation/safe_save.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>

namespace {

// Serialises every read-modify-write of parameters.xml: the savers run on the window's thread
// and on the control thread, and each rewrites the whole file.
std::mutex g_parametersFileMutex;

const char* lf_boolText(bool flag) { return flag ? "true" : "false"; }

pugi::xpath_node lf_select(const pugi::xml_document& doc, const std::string& key)
{
    return doc.select_node(fmt::format(g_parameterXPath, key).c_str());
}

// the first child of the document named `parameters`, when it is an element
pugi::xml_node lf_rootElement(const pugi::xml_document& doc)
{
    const pugi::xml_node root = doc.child("parameters");
    return root.type() == pugi::node_element ? root : pugi::xml_node();
}

void lf_logText(const std::string& key, const std::string& text)
{
    gf_logWhileRunning(fmt::format("{}=\"{}\"", key, text));
}

// Adds a missing text option to the loaded document; no `parameters` element, nothing added.
bool lf_readOrAddStringParameter(pugi::xml_document& doc, StringParameter& option)
{
    if (gf_loadStringParameter(option, doc))
        return true;
    if (const pugi::xml_node root = lf_rootElement(doc))
        gf_appendParameterNode(root, option.name, option.value.get());
    return false;
}

// An empty folder entry leaves the file; a missing one is not added.
bool lf_readFolderParameter(pugi::xml_document& doc, StringParameter& option)
{
    const bool found = gf_loadFolderParameter(option, doc);
    if (!option.value.empty())
        return found;
    const pugi::xpath_node selected = lf_select(doc, option.name);
    const pugi::xml_node element = selected.node();
    if (!element)
        return found;
    element.parent().remove_child(element);
    gf_logWhileRunning(fmt::format("Parameter '{}' removed", option.name));
    return found;
}

void lf_saveLoaded(const pugi::xml_document& doc, const std::string& path)
{
    if (gf_saveXmlReplacing(doc, gf_pathFromUtf8(path)))
        gf_log(fmt::format("'{}' saved", path));
    else
        gf_logError(fmt::format("could not save to '{}'", path));
}

// One saver: load, change or add the option's element, log, write the file whole.
template <class LogLine>
void lf_saveValue(const std::string& key, const std::string& text, LogLine logLine)
{
    std::lock_guard lock(g_parametersFileMutex);
    const std::string path = g_parametersPath;
    pugi::xml_document doc;
    if (!doc.load_file(gf_pathFromUtf8(path).c_str())) {
        doc.reset();
        gf_appendParameterNode(doc.append_child("parameters"), key, text);
    } else {
        pugi::xml_node root = lf_rootElement(doc);
        if (!root)
            root = doc.append_child("parameters");
        if (const pugi::xpath_node selected = lf_select(doc, key))
            gf_setParameterNodeValue(selected, text);
        else
            gf_appendParameterNode(root, key, text);
    }
    logLine();
    if (!gf_saveXmlReplacing(doc, gf_pathFromUtf8(path)))
        gf_logWhileRunning(fmt::format("Saving '{}' failed", path));
}

} // namespace

void gf_logBoolParameter(const BoolParameter& option)
{
    gf_logWhileRunning(fmt::format("{}={}", option.name, lf_boolText(option.value)));
}

void gf_logIntParameter(const IntParameter& option)
{
    gf_logWhileRunning(fmt::format("{}={}", option.name, option.value.load()));
}

void gf_logStringParameter(const StringParameter& option) { lf_logText(option.name, option.value.get()); }

bool gf_isFolderParameter(const StringParameter& option)
{
    return option.name.find("lfolder") != std::string::npos;
}

bool gf_loadBoolParameter(BoolParameter& option, const pugi::xml_document& doc)
{
    const pugi::xpath_node selected = lf_select(doc, option.name);
    if (!selected) {
        option.value = option.defaultValue;
        gf_logBoolParameter(option);
        return false;
    }
    option.value = selected.node().attribute("value").as_bool();
    gf_logBoolParameter(option);
    return true;
}

bool gf_loadIntParameter(IntParameter& option, const pugi::xml_document& doc, bool log)
{
    const pugi::xpath_node selected = lf_select(doc, option.name);
    if (!selected) {
        option.value = option.defaultValue;
        if (log)
            gf_logIntParameter(option);
        return false;
    }
    option.value = option.clamped(selected.node().attribute("value").as_int());
    if (log)
        gf_logIntParameter(option);
    return true;
}

bool gf_loadStringParameter(StringParameter& option, const pugi::xml_document& doc)
{
    const pugi::xpath_node selected = lf_select(doc, option.name);
    if (!selected) {
        option.value = option.defaultValue;
        gf_logStringParameter(option);
        return false;
    }
    option.value = std::string(selected.node().attribute("value").as_string());
    gf_logStringParameter(option);
    return true;
}

bool gf_loadFolderParameter(StringParameter& option, const pugi::xml_document& doc)
{
    const pugi::xpath_node selected = lf_select(doc, option.name);
    const bool found = static_cast<bool>(selected);
    option.value = found ? std::string(selected.node().attribute("value").as_string()) : option.defaultValue;
    const std::string text = option.value.get();
    if (!text.empty())
        lf_logText(option.name, text);
    return found;
}

bool gf_readOrAddBoolParameter(pugi::xml_document& doc, BoolParameter* option)
{
    if (option == nullptr)
        return false;
    if (gf_loadBoolParameter(*option, doc))
        return true;
    if (const pugi::xml_node root = lf_rootElement(doc))
        gf_appendBoolParameterNode(root, option->name, option->value);
    return false;
}

bool gf_readOrAddIntParameter(pugi::xml_document& doc, IntParameter* option)
{
    if (option == nullptr)
        return false;
    if (gf_loadIntParameter(*option, doc, true))
        return true;
    if (const pugi::xml_node root = lf_rootElement(doc))
        gf_appendIntParameterNode(root, option->name, option->value);
    return false;
}

void gf_initBoolParameter(BoolParameter& option, pugi::xml_node root)
{
    if (!gf_appendBoolParameterNode(root, option.name, option.defaultValue))
        gf_logWhileRunning(fmt::format("{}Adding Init XML parameter '{}' with value '{}' failed!", "===> ",
                                       option.name, lf_boolText(option.defaultValue)));
    option.value = option.defaultValue;
    gf_logBoolParameter(option);
}

void gf_initIntParameter(IntParameter& option, pugi::xml_node root)
{
    if (!gf_appendIntParameterNode(root, option.name, option.defaultValue))
        gf_logWhileRunning(fmt::format("{}Adding Init XML parameter '{}' with value '{}' failed!", "===> ",
                                       option.name, option.defaultValue));
    option.value = option.defaultValue;
    gf_logIntParameter(option);
}

void gf_initStringParameter(StringParameter& option, pugi::xml_node root)
{
    if (!gf_appendParameterNode(root, option.name, option.defaultValue))
        gf_logWhileRunning(fmt::format("{}Adding Init XML parameter '{}' with value '{}' failed!", "===> ",
                                       option.name, option.defaultValue));
    option.value = option.defaultValue;
    gf_logStringParameter(option);
}

bool gf_appendParameterNode(pugi::xml_node node, const std::string& name, const std::string& value)
{
    if (node.type() != pugi::node_element && node.type() != pugi::node_document)
        return false;
    pugi::xml_node element = node.append_child("parameter");
    if (!element)
        return false;
    return element.append_attribute("name").set_value(name.c_str()) &&
           element.append_attribute("value").set_value(value.c_str());
}

bool gf_appendBoolParameterNode(pugi::xml_node node, const std::string& name, bool flag)
{
    return gf_appendParameterNode(node, name, lf_boolText(flag));
}

bool gf_appendIntParameterNode(pugi::xml_node node, const std::string& name, std::int32_t number)
{
    return gf_appendParameterNode(node, name, std::to_string(number));
}

void gf_setParameterNodeValue(const pugi::xpath_node& selected, const std::string& text)
{
    if (!selected)
        return;
    if (pugi::xml_attribute value = selected.node().attribute("value"))
        value.set_value(text.c_str());
}

bool gf_appendBoolAttribute(pugi::xml_node element, const char* attributeName, bool flag)
{
    pugi::xml_attribute attribute = element.append_attribute(attributeName);
    return attribute && attribute.set_value(lf_boolText(flag));
}

FoundParameters gf_readParameterFile(const std::vector<BoolParameter*>& bools,
                          const std::vector<UiBoolParameter*>& checkBoxBools,
                          const std::vector<IntParameter*>& ints,
                          const std::vector<UiIntParameter*>& shownInts,
                          const std::vector<StringParameter*>& texts,
                          const std::vector<UiStringParameter*>& shownTexts,
                          const std::vector<const Parameter*>& readOnly)
{
    std::lock_guard lock(g_parametersFileMutex);
    gf_log(gf_makeBanner(70, 0, true, false, "parameters"));
    FoundParameters found;
    const auto note = [&found](bool wasThere, const Parameter* option) {
        if (wasThere)
            found.push_back(option);
    };
    const std::string path = g_parametersPath;
    pugi::xml_document doc;
    if (!doc.load_file(gf_pathFromUtf8(path).c_str())) {
        gf_log(path + " not found, default values taken:");
        doc.reset();
        const pugi::xml_node root = doc.append_child("parameters");
        for (BoolParameter* option : bools)
            if (option != nullptr)
                gf_initBoolParameter(*option, root);
        for (UiBoolParameter* option : checkBoxBools) {
            if (option == nullptr)
                continue;
            gf_initBoolParameter(*option, root);
            gf_showCheckBox(*option);
        }
        for (IntParameter* option : ints)
            if (option != nullptr)
                gf_initIntParameter(*option, root);
        for (UiIntParameter* option : shownInts) {
            if (option == nullptr)
                continue;
            gf_initIntParameter(*option, root);
            gf_showIntParameter(*option);
        }
        for (StringParameter* option : texts) {
            if (option == nullptr)
                continue;
            if (gf_isFolderParameter(*option))
                option->value = option->defaultValue; // folder options are not written into a new file
            else
                gf_initStringParameter(*option, root);
        }
        for (UiStringParameter* option : shownTexts) {
            if (option == nullptr)
                continue;
            gf_initStringParameter(*option, root);
            gf_showStringParameter(*option);
        }
    } else {
        gf_log(fmt::format("from '{}'", path));
        for (BoolParameter* option : bools)
            note(gf_readOrAddBoolParameter(doc, option), option);
        for (UiBoolParameter* option : checkBoxBools) {
            if (option == nullptr)
                continue;
            note(gf_readOrAddBoolParameter(doc, option), option);
            gf_showCheckBox(*option);
        }
        for (IntParameter* option : ints)
            note(gf_readOrAddIntParameter(doc, option), option);
        for (UiIntParameter* option : shownInts) {
            if (option == nullptr)
                continue;
            note(gf_readOrAddIntParameter(doc, option), option);
            gf_showIntParameter(*option);
        }
        for (StringParameter* option : texts) {
            if (option == nullptr)
                continue;
            note(gf_isFolderParameter(*option) ? lf_readFolderParameter(doc, *option)
                                               : lf_readOrAddStringParameter(doc, *option),
                 option);
        }
        for (UiStringParameter* option : shownTexts) {
            if (option == nullptr)
                continue;
            note(lf_readOrAddStringParameter(doc, *option), option);
            gf_showStringParameter(*option);
        }
    }
    // what the load added for a read-only option leaves the document again
    for (const Parameter* option : readOnly)
        if (std::find(found.begin(), found.end(), option) == found.end())
            if (const pugi::xml_node element = lf_select(doc, option->name).node())
                element.parent().remove_child(element);
    lf_saveLoaded(doc, path);
    gf_log(gf_makeBanner(70, 10, false, true, ""));
    return found;
}

void gf_saveBoolParameter(const BoolParameter& option)
{
    const bool flag = option.value;
    lf_saveValue(option.name, lf_boolText(flag),
                 [&] { gf_logWhileRunning(fmt::format("{}={}", option.name, lf_boolText(flag))); });
}

void gf_saveIntParameter(const IntParameter& option)
{
    const std::int32_t number = option.value;
    lf_saveValue(option.name, std::to_string(number),
                 [&] { gf_logWhileRunning(fmt::format("{}={}", option.name, number)); });
}

void gf_saveStringParameter(const StringParameter& option)
{
    const std::string text = option.value.get();
    lf_saveValue(option.name, text, [&] { lf_logText(option.name, text); });
}

void gf_setStringParameter(StringParameter& option, const std::string& text)
{
    option.value = text;
    gf_saveStringParameter(option);
}

int gf_removeParameter(const Parameter& option)
{
    std::lock_guard lock(g_parametersFileMutex);
    const std::string path = g_parametersPath;
    pugi::xml_document doc;
    if (!doc.load_file(gf_pathFromUtf8(path).c_str()))
        return 0;
    const pugi::xml_node root = lf_rootElement(doc);
    if (!root)
        return 0;
    const pugi::xml_node element = lf_select(doc, option.name).node();
    if (!element)
        return 0;
    element.parent().remove_child(element);
    gf_logWhileRunning(fmt::format("Parameter '{}' removed", option.name));
    if (!gf_saveXmlReplacing(doc, gf_pathFromUtf8(path)))
        gf_logWhileRunning(fmt::format("Saving '{}' failed", path));
    return 1;
}
