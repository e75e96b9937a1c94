// Every halvernctl command's --json output, run against emulated devices and checked against the tables of
// docs/CLI_JSON.md: a key the page does not name, a key it names missing, or a value of another type fails.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/doctor_command.h"
#include "cli/effect_command.h"
#include "cli/info_command.h"
#include "cli/keyboard_command.h"
#include "cli/language_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/profile_command.h"
#include "cli/recoil_command.h"
#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "cli/update_command.h"
#include "ctl_fixture.h"
#include "local_server.h"

namespace halvern::cli {
namespace {

// ---- The documented shapes ----

struct Field {
    std::set<std::string> types;  ///< string, integer, number, boolean, array, object, null
    bool optional = false;
};
/// Key paths ("stages[].dpiX") of one section and what they hold.
using Shape = std::map<std::string, Field>;

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, '|')) out.push_back(trim(cell));
    return out;
}

/// "integer or null" as {"integer", "null"}.
std::vector<std::string> typeWords(std::string text) {
    for (size_t at; (at = text.find(" or ")) != std::string::npos;) text.replace(at, 4, "|");
    std::vector<std::string> words;
    std::stringstream parts(text);
    for (std::string word; std::getline(parts, word, '|');) words.push_back(word);
    return words;
}

/// One row of a table: the key path, its type as written, and whether it is optional.
struct Row {
    std::string key;
    std::string type;
    bool optional;
};

/// The sections of the page by heading ("`show mouse`", "shape `light`"), each with its table's rows; a
/// type naming a shape ("light") stands for an object with that shape's rows under the key.
std::map<std::string, Shape> readDocumentedShapes(const std::string& path) {
    std::ifstream in(path);
    std::map<std::string, std::vector<Row>> tables;
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.starts_with("### ")) {
            section = line.substr(4);
            continue;
        }
        if (section.empty() || !line.starts_with("| `")) continue;
        const std::vector<std::string> row = cells(line);
        if (row.size() < 3) continue;
        std::string key = row[1].substr(1, row[1].size() - 2);  // without the backticks
        const bool optional = key.ends_with('?');
        if (optional) key.pop_back();
        tables[section].push_back({key, row[2], optional});
    }
    const std::set<std::string> primitive{"string", "integer", "number", "boolean",
                                          "array",  "object",  "null"};
    std::map<std::string, Shape> shapes;
    for (const auto& [name, rows] : tables) {
        Shape& shape = shapes[name];
        for (const Row& row : rows) {
            Field& field = shape[row.key];
            field.optional = row.optional;
            for (const std::string& type : typeWords(row.type)) {
                if (primitive.contains(type)) {
                    field.types.insert(type);
                    continue;
                }
                field.types.insert("object");
                const auto spliced = tables.find("shape `" + type + "`");
                if (spliced == tables.end()) {
                    ADD_FAILURE() << name << ": " << row.key << " names the unknown shape " << type;
                    continue;
                }
                for (const Row& inner : spliced->second) {  // shapes hold primitive types only
                    const std::vector<std::string> innerTypes = typeWords(inner.type);
                    shape[row.key + "." + inner.key] =
                        Field{{innerTypes.begin(), innerTypes.end()}, inner.optional};
                }
            }
        }
    }
    return shapes;
}

std::string typeOf(const Json::Value& v) {
    switch (v.type()) {
        case Json::nullValue:
            return "null";
        case Json::intValue:
        case Json::uintValue:
            return "integer";
        case Json::realValue:
            return "number";
        case Json::stringValue:
            return "string";
        case Json::booleanValue:
            return "boolean";
        case Json::arrayValue:
            return "array";
        case Json::objectValue:
            return "object";
    }
    return "?";
}

bool typeFits(const Field& field, const std::string& type) {
    return field.types.contains(type) || (type == "integer" && field.types.contains("number"));
}

void checkValue(const Json::Value& v, const std::string& path, const Shape& shape,
                std::vector<std::string>& problems);

/// Members of the object at `path` (empty: the top): each documented with a fitting type, each documented
/// key that is not optional present.
void checkObject(const Json::Value& object, const std::string& path, const Shape& shape,
                 std::vector<std::string>& problems) {
    const std::string prefix = path.empty() ? "" : path + ".";
    for (const std::string& name : object.getMemberNames()) {
        const std::string key = prefix + name;
        const auto field = shape.find(key);
        if (field == shape.end()) {
            problems.push_back("undocumented key " + key);
            continue;
        }
        const std::string type = typeOf(object[name]);
        if (!typeFits(field->second, type)) {
            problems.push_back(key + " is " += type);
            continue;
        }
        checkValue(object[name], key, shape, problems);
    }
    for (const auto& [key, field] : shape) {
        if (field.optional || !key.starts_with(prefix) || key.size() <= prefix.size()) continue;
        const std::string rest = key.substr(prefix.size());
        if (rest.find('.') != std::string::npos || rest.find('[') != std::string::npos) continue;
        if (!object.isMember(rest)) problems.push_back("missing key " + key);
    }
}

void checkValue(const Json::Value& v, const std::string& path, const Shape& shape,
                std::vector<std::string>& problems) {
    if (v.isObject()) {
        checkObject(v, path, shape, problems);
        return;
    }
    if (!v.isArray()) return;
    const std::string element = path + "[]";
    const auto field = shape.find(element);
    for (const Json::Value& item : v) {
        const std::string type = typeOf(item);
        if (field != shape.end() ? !typeFits(field->second, type) : type != "object") {
            problems.push_back(element + " is " += type);
            continue;
        }
        checkValue(item, element, shape, problems);
    }
}

std::vector<std::string> problemsOf(const Json::Value& value, const Shape& shape) {
    std::vector<std::string> problems;
    if (!value.isObject()) return {"the output is not one object"};
    checkObject(value, "", shape, problems);
    return problems;
}

std::string joined(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    return text;
}

// ---- The commands ----

int effectCommand(const CommandContext& context, const CommandArgs& args) {
    return runEffectCommand(args, context.json, context.out, context.err);
}

const CtlCommands kCommands{
    {"list", runListCommand},
    {"doctor", runDoctorCommand},
    {"info", runInfoCommand},
    {"profile", runProfileCommand},
    {"show", runShowCommand},
    {"dpi", runDpiCommand},
    {"dpi-active", runDpiActiveCommand},
    {"polling", runPollingCommand},
    {"light", runLightCommand},
    {"headset", runHeadsetCommand},
    {"same-mode", runSameModeCommand},
    {"key", runKeyCommand},
    {"flags", runFlagsCommand},
    {"repeat", runRepeatCommand},
    {"custom-color", runCustomColorCommand},
    {"macro", runMacroCommand},
    {"write-macros", runWriteMacrosCommand},
    {"update-check", runUpdateCheckCommand},
    {"language", runLanguageCommand},
    {"recoil", runRecoilCommand},
    {"effect", effectCommand},
};

class HalvernctlJsonTest : public CtlFixture {
protected:
    HalvernctlJsonTest() : CtlFixture(kCommands) {}

    void SetUp() override {
        for (const emu::Product product :
             {emu::Product::Mouse, emu::Product::Keyboard, emu::Product::MousePad, emu::Product::Headset}) {
            ASSERT_TRUE(emulator.attach(product));
        }
    }

    /// Runs the command line with --json and checks its output against the page's section `section`.
    /// `findings`: the command exits 1 when it found something to fix, and still prints its JSON.
    void expectDocumented(const std::string& section, const std::vector<std::string>& words,
                          bool findings = false) {
        SCOPED_TRACE(section);
        const auto shape = shapes.find(section);
        ASSERT_NE(shape, shapes.end()) << "docs/CLI_JSON.md has no section ### " << section;
        checked.insert(section);
        std::vector<std::string> all{"--json"};
        all.insert(all.end(), words.begin(), words.end());
        const CtlRun r = run(all);
        ASSERT_TRUE(r.code == kExitOk || (findings && r.code == kExitDeviceError)) << r.code << r.err;
        Json::Value value;
        ASSERT_TRUE(Json::Reader().parse(r.out, value)) << r.out;
        EXPECT_EQ(r.out.back(), '\n');
        EXPECT_NE(r.out.find("\n   \""), std::string::npos) << "pretty-printed:\n" << r.out;
        const std::vector<std::string> problems = problemsOf(value, shape->second);
        EXPECT_TRUE(problems.empty()) << joined(problems) << r.out;
    }

    test::ScopedEnv config{"XDG_CONFIG_HOME", (data.path() / "config").string()};
    test::ScopedEnv noServer{"HALVERN_UPDATE_URL", ""};
    const std::map<std::string, Shape> shapes = readDocumentedShapes(HALVERN_CLI_JSON_DOC);
    std::set<std::string> checked;
};

TEST_F(HalvernctlJsonTest, EveryCommandPrintsTheDocumentedShape) {
    expectDocumented("`list`", {"list"});
    expectDocumented("`doctor`", {"doctor"}, true);
    for (const char* kind : {"mouse", "keyboard", "mousepad"})
        expectDocumented("`info mouse|keyboard|mousepad`", {"info", kind});
    expectDocumented("`info headset`", {"info", "headset"});
    expectDocumented("`show mouse`", {"show", "mouse"});
    expectDocumented("`show keyboard`", {"show", "keyboard"});
    expectDocumented("`show mousepad|headset`", {"show", "mousepad"});
    expectDocumented("`show mousepad|headset`", {"show", "headset"});
    expectDocumented("`light --list`", {"light", "--list"});
    expectDocumented("`light --list`", {"light", "--device", "keyboard", "--list"});
    expectDocumented("`headset mic|monitor|voice` (without options)", {"headset", "mic"});
    expectDocumented("`headset mic|monitor|voice` (without options)", {"headset", "voice"});
    expectDocumented("`headset noise|surround` (without options)", {"headset", "surround"});
    expectDocumented("`flags` (without options)", {"flags"});
    expectDocumented("`repeat` (without options)", {"repeat"});
    expectDocumented("`headset custom-eq list`", {"headset", "custom-eq", "list"});
    expectDocumented("`language`", {"language"});
    expectDocumented("`effect DEVICE MODE`", {"effect", "keyboard", "3", "--frames", "2"});

    expectDocumented("`--version`", {"--version"});
    expectDocumented("`dpi STAGE`", {"dpi", "2", "--dpi", "1600", "--y-dpi", "800"});
    expectDocumented("`dpi STAGE`", {"dpi", "3", "--dpi", "1234", "--y-dpi", "1"});
    expectDocumented("`dpi-active STAGE`", {"dpi-active", "2"});
    expectDocumented("`polling RATE`", {"polling", "500"});
    expectDocumented("`polling RATE`", {"polling", "--device", "keyboard", "2"});
    expectDocumented("`light --mode MODE ...`", {"light", "--mode", "3", "--color", "00ff00"});
    expectDocumented("`light --mode MODE ...`", {"light", "--device", "keyboard", "--mode", "3"});
    expectDocumented("`light --mode MODE ...`", {"light", "--device", "headset", "--mode", "1"});
    expectDocumented("`same-mode --from KIND`", {"same-mode", "--from", "mouse"});
    expectDocumented("`headset mic|monitor|voice|noise|surround` (with options)",
                     {"headset", "monitor", "--level", "30"});
    expectDocumented("`headset mic|monitor|voice|noise|surround` (with options)",
                     {"headset", "voice", "--type", "2"});
    expectDocumented("`headset mic|monitor|voice|noise|surround` (with options)",
                     {"headset", "noise", "--on", "1"});
    expectDocumented("`headset eq|band|custom-eq save|select|delete`", {"headset", "eq", "3"});
    expectDocumented("`headset eq|band|custom-eq save|select|delete`", {"headset", "band", "10", "-4"});
    expectDocumented("`headset eq|band|custom-eq save|select|delete`",
                     {"headset", "custom-eq", "save", "Mine"});
    expectDocumented("`headset eq|band|custom-eq save|select|delete`",
                     {"headset", "custom-eq", "select", "1"});
    expectDocumented("`headset custom-eq list`", {"headset", "custom-eq", "list"});
    expectDocumented("`headset frame`", {"headset", "frame"});
    expectDocumented("`key KEY FUNCTION`", {"key", "4", "G"});
    expectDocumented("`key KEY FUNCTION`", {"key", "--device", "keyboard", "W", "Up"});
    expectDocumented("`flags`", {"flags", "--w", "1"});
    expectDocumented("`repeat`", {"repeat", "--rate", "20"});
    expectDocumented("`custom-color`", {"custom-color", "--key", "A", "00ff00"});
    expectDocumented("`custom-color`", {"custom-color", "--all", "102030"});
    expectDocumented("`custom-color`", {"custom-color", "--off"});

    expectDocumented("`macro add|rename|delete|import|export`", {"macro", "add"});
    expectDocumented("`macro add|rename|delete|import|export`", {"macro", "rename", "1", "Jump"});
    expectDocumented("`macro insert|delete-row|move-row|record`",
                     {"macro", "insert", "1", "0", "left_click"});
    expectDocumented("`macro insert|delete-row|move-row|record`", {"macro", "move-row", "1", "2", "top"});
    expectDocumented("`macro show POSITION`", {"macro", "show", "1"});
    expectDocumented("`macro list`", {"macro", "list"});
    const std::string exported = (data.path() / "jump.json").string();
    expectDocumented("`macro add|rename|delete|import|export`", {"macro", "export", "1", exported});
    expectDocumented("`macro add|rename|delete|import|export`", {"macro", "import", exported});
    expectDocumented("`macro insert|delete-row|move-row|record`", {"macro", "delete-row", "1", "1"});
    expectDocumented("`key KEY FUNCTION`", {"key", "5", "700000"});  // the first macro
    expectDocumented("`write-macros`", {"write-macros"});
    expectDocumented("`macro add|rename|delete|import|export`", {"macro", "delete", "1"});

    expectDocumented("`recoil show GUN [SHOT]`", {"recoil", "show", "2"});
    expectDocumented("`recoil set`", {"recoil", "set", "1", "2", "--x", "3", "--y", "-5", "--delay", "40"});
    expectDocumented("`recoil show GUN [SHOT]`", {"recoil", "show", "1", "2"});
    const std::string pattern = (data.path() / "gun.json").string();
    expectDocumented("`recoil reset|import|export`", {"recoil", "export", "1", pattern});
    expectDocumented("`recoil reset|import|export`", {"recoil", "import", "4", pattern});
    expectDocumented("`recoil reset|import|export`", {"recoil", "reset", "1"});

    expectDocumented("`profile KIND list`", {"profile", "mouse", "list"});
    const std::string profileFile = (data.path() / "profile.json").string();
    for (const std::vector<std::string>& verb : std::vector<std::vector<std::string>>{{"add"},
                                                                                      {"select", "2"},
                                                                                      {"rename", "Shooter"},
                                                                                      {"copy"},
                                                                                      {"reset"},
                                                                                      {"export", profileFile},
                                                                                      {"import", profileFile},
                                                                                      {"delete"}}) {
        std::vector<std::string> words{"profile", "keyboard"};
        words.insert(words.end(), verb.begin(), verb.end());
        expectDocumented("`profile KIND add|copy|delete|rename|select|reset|import|export`", words);
    }
    expectDocumented("`profile KIND list`", {"profile", "keyboard", "list"});
    expectDocumented("`language INDEX`", {"language", "2"});

    // Every section of the page is a command's (or a shape); none is left untried.
    for (const auto& [name, shape] : shapes) {
        if (name.starts_with("shape ") || name == "`update-check`") continue;
        EXPECT_TRUE(checked.contains(name)) << "no command printed the section " << name;
    }
}

TEST_F(HalvernctlJsonTest, UpdateCheckPrintsTheDocumentedShape) {
    const std::filesystem::path answers = data.path() / "answers";
    std::filesystem::create_directories(answers);
    test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.string(), "--port", "0"});
    SCOPED_TRACE(server.url());
    const std::vector<std::string> words{"update-check", "--server", server.url()};
    std::vector<std::string> all{"--json"};
    all.insert(all.end(), words.begin(), words.end());
    const CtlRun r = run(all);
    Json::Value value;
    ASSERT_TRUE(Json::Reader().parse(r.out, value)) << r.out << r.err;
    const std::vector<std::string> problems = problemsOf(value, shapes.at("`update-check`"));
    EXPECT_TRUE(problems.empty()) << joined(problems) << r.out;
}

// The check itself: a renamed key, a number written as a string and a missing key are each caught.
TEST_F(HalvernctlJsonTest, TheCheckCatchesARenamedKeyAStringNumberAndAMissingKey) {
    const Json::Value shown = runJson({"show", "mouse"});
    const Shape& shape = shapes.at("`show mouse`");
    ASSERT_TRUE(problemsOf(shown, shape).empty()) << joined(problemsOf(shown, shape));

    Json::Value renamed = shown;
    renamed["active_stage"] = renamed["activeStage"];
    renamed.removeMember("activeStage");
    const std::vector<std::string> renamedProblems = problemsOf(renamed, shape);
    EXPECT_NE(std::find(renamedProblems.begin(), renamedProblems.end(), "undocumented key active_stage"),
              renamedProblems.end());
    EXPECT_NE(std::find(renamedProblems.begin(), renamedProblems.end(), "missing key activeStage"),
              renamedProblems.end());

    Json::Value stringly = shown;
    stringly["stages"][0]["dpiX"] = std::to_string(shown["stages"][0]["dpiX"].asInt());
    EXPECT_EQ(problemsOf(stringly, shape), std::vector<std::string>{"stages[].dpiX is string"});

    Json::Value colourless = shown;
    colourless["light"].removeMember("color");
    EXPECT_EQ(problemsOf(colourless, shape), std::vector<std::string>{"missing key light.color"});
}

}  // namespace
}  // namespace halvern::cli
