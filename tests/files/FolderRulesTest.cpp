// The folder chooser's rules on typed paths, for Windows and POSIX names, over a scripted file
// system: what Enter and Open do, the questions and refusals they show, what creation is asked
// of the system, the folders typing moves to, and completion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <set>

#include "files/FolderRules.h"

namespace voltaris {
namespace {

using Strings = std::vector<std::string>;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Paths of a Windows machine compare in any letter case.
class ScriptedFolders final : public FolderSystem {
public:
    explicit ScriptedFolders(PathSyntax syntax) : m_caseless(syntax == PathSyntax::Windows) {}

    ScriptedFolders& folder(const std::string& path) { return add(path, Kind::Folder); }
    ScriptedFolders& file(const std::string& path) { return add(path, Kind::File); }
    ScriptedFolders& drive(char letter, DriveType type) {
        m_drives[static_cast<char>(std::toupper(letter))] = type;
        return *this;
    }
    Kind kind(const std::string& path) const override {
        const auto it = m_kinds.find(key(path));
        return it == m_kinds.end() ? Kind::Missing : it->second;
    }
    DriveType driveType(char letter) const override {
        const auto it = m_drives.find(static_cast<char>(std::toupper(letter)));
        return it == m_drives.end() ? DriveType::NoRootDir : it->second;
    }
    DriveType volumeType(const std::string&) const override { return volume; }
    bool createFolders(const std::string& path) override {
        created.push_back(path);
        return creatable;
    }
    std::vector<FolderEntry> entries(const std::string& folder,
                                     const std::string& prefix) const override {
        std::vector<FolderEntry> found;
        for (const auto& [path, kind] : m_names) {
            const std::size_t cut = path.find_last_of("\\/");
            const std::string parent = path.substr(0, cut + 1);
            const std::string name = path.substr(cut + 1);
            if (key(parent) == key(folder) && key(name).starts_with(key(prefix))) {
                found.push_back({name, kind == Kind::Folder});
            }
        }
        return found;
    }

    DriveType volume = DriveType::Fixed;
    bool creatable = true;
    Strings created;

private:
    ScriptedFolders& add(const std::string& path, Kind kind) {
        m_kinds[key(path)] = kind;
        m_names[path] = kind;
        return *this;
    }
    // Paths compare without their trailing separator.
    std::string key(std::string path) const {
        if (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) {
            path.pop_back();
        }
        return m_caseless ? Lower(path) : path;
    }

    bool m_caseless;
    std::map<std::string, Kind> m_kinds;
    std::map<std::string, Kind> m_names;
    std::map<char, DriveType> m_drives;
};

// Answers Yes unless told otherwise; keeps every text with "?" for a question.
class ScriptedPrompts final : public FolderPrompts {
public:
    bool askYesNo(const std::string& text) override {
        shown.push_back("? " + text);
        return yes;
    }
    void tell(const std::string& text) override { shown.push_back(text); }
    bool yes = true;
    Strings shown;
};

const std::string kAsk = std::string("\nThis folder does not exist.\n\nDo you want to create it?");

ScriptedFolders WindowsMachine() {
    ScriptedFolders fs(PathSyntax::Windows);
    fs.drive('C', DriveType::Fixed).drive('E', DriveType::Removable).drive('N', DriveType::Remote);
    fs.drive('D', DriveType::CdRom);
    fs.folder("C:\\Data").file("C:\\Data\\notes.txt").folder("C:\\Data\\Reports");
    fs.folder("C:\\Data\\Results").folder("C:\\Data\\PROGRA~1").folder("C:\\Data\\Program Files");
    return fs;
}

ScriptedFolders PosixMachine() {
    ScriptedFolders fs(PathSyntax::Posix);
    fs.folder("/home").folder("/home/ann").file("/home/ann/notes.txt").folder("/home/ann/Bench");
    fs.folder("/home/ann/bench").folder("/home/ann/runs");
    return fs;
}

struct Case {
    const char* name;
    PathSyntax syntax;
    const char* text;
    std::optional<std::string> result;  // what the rule returns
    Strings shown;                      // the boxes, in order
    Strings created;                    // the creations asked of the system
    bool yes = true;
    bool creatable = true;
    DriveType volume = DriveType::Fixed;
};

void Check(const Case& c, bool open) {
    SCOPED_TRACE(c.name);
    ScriptedFolders fs = c.syntax == PathSyntax::Windows ? WindowsMachine() : PosixMachine();
    fs.creatable = c.creatable;
    fs.volume = c.volume;
    ScriptedPrompts prompts;
    prompts.yes = c.yes;
    const std::optional<std::string> result = open ? OpenPath(c.text, c.syntax, fs, prompts)
                                                   : EnterPath(c.text, c.syntax, fs, prompts);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(prompts.shown, c.shown);
    EXPECT_EQ(fs.created, c.created);
}

constexpr PathSyntax W = PathSyntax::Windows;
constexpr PathSyntax P = PathSyntax::Posix;

TEST(FolderRules, EnterMovesThereAndCreatesAMissingFolderAfterAsking) {
    const Case cases[] = {
        {"an existing folder loses one separator", W, "C:\\Data\\", "C:\\Data", {}, {}},
        {"empty text", W, "", "", {}, {}},
        {"the root keeps its separator", W, "\\", "\\", {}, {}},
        {"a drive root keeps it", W, "C:\\", "C:\\", {}, {}},
        {"a drive", W, "C:", "C:", {}, {}},
        {"a server name", W, "\\\\bench", "\\\\bench", {}, {}},
        {"a missing folder on an invalid drive is not offered", W, "Q:\\new", "Q:\\new", {}, {}},
        {"missing, Yes", W, "C:\\Data\\a\\b\\", "C:\\Data\\a\\b",
         {"? C:\\Data\\a\\b" + kAsk}, {"C:\\Data\\a\\b\\"}},
        {"missing, No", W, "C:\\Data\\a", std::nullopt, {"? C:\\Data\\a" + kAsk}, {}, false},
        {"creation fails on a fixed drive", W, "C:\\Data\\a", std::nullopt,
         {"? C:\\Data\\a" + kAsk,
          "You do not have permission or\notherwise cannot create this folder."},
         {"C:\\Data\\a\\"}, true, false},
        {"creation fails on a removable drive", W, "E:\\logs", std::nullopt,
         {"? E:\\logs" + kAsk, "You cannot create this folder.\nThe medium may be write-protected."},
         {"E:\\logs\\"}, true, false},
        {"creation fails on a CD-ROM", W, "D:\\x", std::nullopt,
         {"? D:\\x" + kAsk, "You cannot create this folder\nas the CD ROM medium is read-only."},
         {"D:\\x\\"}, true, false},
        {"creation fails on the network", W, "\\\\srv\\share\\x", std::nullopt,
         {"? \\\\srv\\share\\x" + kAsk,
          "You do not have permission to create\nthis folder on the network."},
         {"\\\\srv\\share\\x\\"}, true, false},
        {"POSIX root", P, "/", "/", {}, {}},
        {"POSIX folder", P, "/home/ann/runs/", "/home/ann/runs", {}, {}},
        {"POSIX missing, Yes", P, "/home/ann/a/b", "/home/ann/a/b",
         {"? /home/ann/a/b" + kAsk}, {"/home/ann/a/b/"}},
        {"POSIX creation fails on a remote volume", P, "/mnt/x", std::nullopt,
         {"? /mnt/x" + kAsk, "You do not have permission to create\nthis folder on the network."},
         {"/mnt/x/"}, true, false, DriveType::Remote},
        {"a Windows drive means nothing on POSIX", P, "C:", "C:", {"? C:" + kAsk}, {"C:/"}},
    };
    for (const Case& c : cases) {
        Check(c, false);
    }
}

TEST(FolderRules, OpenAcceptsFoldersAndRefusesWhatIsNotOne) {
    const std::string invalid = "\nThe drive is invalid.";
    const std::string notValid = "\nThis is not a valid folder.";
    const Case cases[] = {
        {"empty text accepts the folder shown", W, "", "", {}, {}},
        {"the root", W, "\\", "\\", {}, {}},
        {"an existing drive", W, "C:", "C:", {}, {}},
        {"a missing drive", W, "Q:", std::nullopt, {"Q:" + invalid}, {}},
        {"a valid drive root", W, "E:\\", "E:\\", {}, {}},
        {"an invalid drive root", W, "Q:\\", std::nullopt, {"Q:\\" + invalid}, {}},
        {"a folder on an invalid drive", W, "Q:\\x\\", std::nullopt, {"Q:\\x\\" + invalid}, {}},
        {"two backslashes", W, "\\\\", std::nullopt, {"\\\\" + notValid}, {}},
        {"a server and share without a folder", W, "\\\\srv\\share", std::nullopt,
         {"\\\\srv\\share" + notValid}, {}},
        {"an existing folder in another letter case", W, "c:\\data\\reports\\",
         "c:\\data\\reports", {}, {}},
        {"a file", W, "C:\\Data\\notes.txt", std::nullopt,
         {"C:\\Data\\notes.txt\nThis is a file not a directory."}, {}},
        {"missing, Yes", W, "C:\\Data\\new\\", "C:\\Data\\new",
         {"? C:\\Data\\new\\" + kAsk}, {"C:\\Data\\new\\"}},
        {"missing, No", W, "C:\\Data\\new", std::nullopt, {"? C:\\Data\\new" + kAsk}, {}, false},
        {"creation fails on a fixed drive", W, "C:\\new", std::nullopt,
         {"? C:\\new" + kAsk, "You do not have permission\nto create this folder."},
         {"C:\\new\\"}, true, false},
        {"POSIX empty", P, "", "", {}, {}},
        {"POSIX root", P, "/", "/", {}, {}},
        {"POSIX folder", P, "/home/ann/", "/home/ann", {}, {}},
        {"POSIX file", P, "/home/ann/notes.txt", std::nullopt,
         {"/home/ann/notes.txt\nThis is a file not a directory."}, {}},
        {"POSIX missing, Yes", P, "x/y", "x/y", {"? x/y" + kAsk}, {"x/y/"}},
        {"POSIX creation fails", P, "/proc/x", std::nullopt,
         {"? /proc/x" + kAsk, "You do not have permission\nto create this folder."}, {"/proc/x/"},
         true, false},
    };
    for (const Case& c : cases) {
        Check(c, true);
    }
}

TEST(FolderRules, TypingMovesToRootsAndToExistingFoldersEndingWithASeparator) {
    const ScriptedFolders windows = WindowsMachine();
    const ScriptedFolders posix = PosixMachine();
    const std::pair<const char*, std::optional<std::string>> onWindows[] = {
        {"\\\\", std::nullopt}, {"\\", "\\"}, {"C:\\", "C:\\"}, {"Q:\\", std::nullopt},
        {"C:\\Data\\", "C:\\Data\\"}, {"C:\\Data", std::nullopt}, {"C:\\Nothing\\", std::nullopt},
        {"C:\\Data\\notes.txt\\", std::nullopt}};
    for (const auto& [text, folder] : onWindows) {
        EXPECT_EQ(TypedFolder(text, W, windows), folder) << text;
    }
    const std::pair<const char*, std::optional<std::string>> onPosix[] = {
        {"/", "/"}, {"/home/", "/home/"}, {"/home", std::nullopt}, {"C:\\", std::nullopt}};
    for (const auto& [text, folder] : onPosix) {
        EXPECT_EQ(TypedFolder(text, P, posix), folder) << text;
    }
}

TEST(FolderRules, CompletionAddsTheRestOfASingleMatchingFolder) {
    const ScriptedFolders windows = WindowsMachine();
    const ScriptedFolders posix = PosixMachine();
    struct Completion {
        PathSyntax syntax;
        const char* text;
        std::optional<std::string> completed;  // nothing: the text stays as typed
    };
    const Completion cases[] = {
        {W, "C:\\Data\\Rep", "C:\\Data\\Reports"},
        {W, "C:\\Data\\REP", "C:\\Data\\REPORTS"},  // typed capitals: the name in capitals
        {W, "C:\\Data\\rep", "C:\\Data\\reports"},
        {W, "C:\\Data\\PROGRA", std::nullopt},      // two folders
        {W, "C:\\Data\\Progra~", "C:\\Data\\Progra~1"},  // a short capital name shown as Progra~1
        {W, "C:\\Data\\n", std::nullopt},           // a file, not a folder
        {W, "C:\\Data\\R", std::nullopt},           // Reports and Results
        {W, "C:\\Data\\", std::nullopt},
        {W, "C:", std::nullopt},
        {P, "/home/ann/r", "/home/ann/runs"},
        {P, "/home/ann/b", "/home/ann/bench"},      // letter case tells Bench apart
        {P, "/home/ann/B", "/home/ann/Bench"},
        {P, "/home/ann/runs", std::nullopt},        // nothing to add
        {P, "/home/ann/x", std::nullopt},
    };
    for (const Completion& c : cases) {
        const FolderSystem& fs = c.syntax == W ? static_cast<const FolderSystem&>(windows) : posix;
        const std::optional<CompletedPath> completed = CompletePath(c.text, c.syntax, fs);
        ASSERT_EQ(completed.has_value(), c.completed.has_value()) << c.text;
        if (completed) {
            EXPECT_EQ(completed->text, *c.completed) << c.text;
            EXPECT_EQ(completed->selectionStart, std::string(c.text).size()) << c.text;
        }
    }
}

}  // namespace
}  // namespace voltaris
