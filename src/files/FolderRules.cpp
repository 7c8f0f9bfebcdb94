// The folder chooser's rules on typed paths.
#include "files/FolderRules.h"

#include <algorithm>
#include <cctype>

namespace voltaris {

namespace {

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool StartsWithDrive(std::string_view text) {
    return text.size() >= 2 && IsLetter(text[0]) && text[1] == ':';
}

bool IsNetworkPath(std::string_view text, PathSyntax syntax) {
    return syntax == PathSyntax::Windows && text.starts_with("\\\\");
}

bool IsRoot(std::string_view text, PathSyntax syntax) {
    return text.size() == 1 && text[0] == Separator(syntax);
}

bool EndsWithSeparator(std::string_view text, PathSyntax syntax) {
    return !text.empty() && text.back() == Separator(syntax);
}

bool ValidDrive(char letter, const FolderSystem& fs) {
    return static_cast<int>(fs.driveType(letter)) > static_cast<int>(DriveType::NoRootDir);
}

bool IsValidDriveRoot(std::string_view text, PathSyntax syntax, const FolderSystem& fs) {
    return syntax == PathSyntax::Windows && IsDriveRoot(text) && ValidDrive(text[0], fs);
}

// The volume a folder named `path` would be made on, for the creation failure texts.
DriveType CreationVolume(const std::string& path, PathSyntax syntax, const FolderSystem& fs) {
    if (syntax == PathSyntax::Windows) {
        if (StartsWithDrive(path)) {
            return fs.driveType(path[0]);
        }
        if (IsNetworkPath(path, syntax)) {
            return DriveType::Remote;
        }
    }
    return fs.volumeType(path);
}

// Asks to create `path` (named `asked` in the question) and creates it with its parents.
// False when the user said No or the creation failed (after saying so).
bool CreateAfterAsking(const std::string& asked, const std::string& path, PathSyntax syntax,
                       FolderSystem& fs, FolderPrompts& prompts, CreationContext context) {
    if (!prompts.askYesNo(asked + kFolderCreateQuestion)) {
        return false;
    }
    if (!fs.createFolders(WithTrailingSeparator(path, syntax))) {
        prompts.tell(CreationFailureText(CreationVolume(path, syntax, fs), context));
        return false;
    }
    return true;
}

std::string DropOneSeparator(std::string text, PathSyntax syntax) {
    if (EndsWithSeparator(text, syntax)) {
        text.pop_back();
    }
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Windows names in the letter case of what was typed: a short all-capitals name as "Progra~1",
// then all capitals or all lower case when the last typed letter differs from the name's.
std::string MatchTypedCase(std::string name, std::string_view typedName) {
    const bool hasBlank = name.find(' ') != std::string::npos;
    const bool hasLower = std::any_of(name.begin(), name.end(), [](unsigned char c) {
        return std::islower(c) != 0;
    });
    if (!hasBlank && !hasLower && !name.empty()) {
        name = name.substr(0, 1) + Lower(name.substr(1));
    }
    const std::size_t at = typedName.size() - 1;
    const char typed = typedName.back();
    if (at < name.size() && name[at] != typed) {
        name = std::isupper(static_cast<unsigned char>(typed)) != 0 ? Upper(name) : Lower(name);
    }
    return name;
}

}  // namespace

PathSyntax HostPathSyntax() {
#ifdef _WIN32
    return PathSyntax::Windows;
#else
    return PathSyntax::Posix;
#endif
}

std::string CreationFailureText(DriveType type, CreationContext context) {
    switch (type) {
    case DriveType::Removable:
        return "You cannot create this folder.\nThe medium may be write-protected.";
    case DriveType::Remote:
        return "You do not have permission to create\nthis folder on the network.";
    case DriveType::CdRom:
        return "You cannot create this folder\nas the CD ROM medium is read-only.";
    default:
        return context == CreationContext::Enter
                   ? "You do not have permission or\notherwise cannot create this folder."
                   : "You do not have permission\nto create this folder.";
    }
}

char Separator(PathSyntax syntax) {
    return syntax == PathSyntax::Windows ? '\\' : '/';
}

std::string WithTrailingSeparator(std::string path, PathSyntax syntax) {
    if (!EndsWithSeparator(path, syntax)) {
        path.push_back(Separator(syntax));
    }
    return path;
}

bool IsDriveSpec(std::string_view text) {
    return text.size() == 2 && StartsWithDrive(text);
}

bool IsDriveRoot(std::string_view text) {
    return text.size() == 3 && StartsWithDrive(text) && text[2] == '\\';
}

bool IsServerName(std::string_view text) {
    return text.size() > 2 && text.starts_with("\\\\") &&
           text.find('\\', 2) == std::string_view::npos;
}

bool OnInvalidDrive(std::string_view text, PathSyntax syntax, const FolderSystem& fs) {
    return syntax == PathSyntax::Windows && StartsWithDrive(text) && !ValidDrive(text[0], fs);
}

std::optional<std::string> EnterPath(const std::string& text, PathSyntax syntax, FolderSystem& fs,
                                     FolderPrompts& prompts) {
    const bool windows = syntax == PathSyntax::Windows;
    std::string path = text;
    const bool keepSeparator =
        IsRoot(text, syntax) || IsNetworkPath(text, syntax) || (windows && IsDriveRoot(text));
    if (!keepSeparator) {
        path = DropOneSeparator(path, syntax);
    }
    if (path.empty() || IsRoot(path, syntax) ||
        (windows && (IsServerName(path) || IsDriveSpec(path) || IsDriveRoot(path)))) {
        return path;
    }
    if (fs.kind(path) == FolderSystem::Kind::Missing && !OnInvalidDrive(path, syntax, fs) &&
        !CreateAfterAsking(path, path, syntax, fs, prompts, CreationContext::Enter)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> OpenPath(const std::string& text, PathSyntax syntax, FolderSystem& fs,
                                    FolderPrompts& prompts) {
    const bool windows = syntax == PathSyntax::Windows;
    if (windows && text == "\\\\") {
        prompts.tell(text + kFolderNotValid);
        return std::nullopt;
    }
    if (windows && (IsDriveSpec(text) || IsDriveRoot(text))) {
        if (ValidDrive(text[0], fs)) {
            return text;
        }
        prompts.tell(text + kFolderDriveInvalid);
        return std::nullopt;
    }
    if (text.empty() || IsRoot(text, syntax)) {
        return text;
    }
    const std::string path = DropOneSeparator(text, syntax);
    switch (fs.kind(path)) {
    case FolderSystem::Kind::Folder:
        return path;
    case FolderSystem::Kind::File:
        prompts.tell(text + kFolderIsAFile);
        return std::nullopt;
    case FolderSystem::Kind::Missing:
        break;
    }
    if (OnInvalidDrive(path, syntax, fs)) {
        prompts.tell(text + kFolderDriveInvalid);
        return std::nullopt;
    }
    // A network folder names its server and its share before the folder itself.
    if (IsNetworkPath(path, syntax) && std::count(path.begin() + 2, path.end(), '\\') < 2) {
        prompts.tell(text + kFolderNotValid);
        return std::nullopt;
    }
    if (!CreateAfterAsking(text, path, syntax, fs, prompts, CreationContext::Open)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> TypedFolder(const std::string& text, PathSyntax syntax,
                                       const FolderSystem& fs) {
    if (IsNetworkPath(text, syntax) && text.size() == 2) {
        return std::nullopt;  // the start of a network name
    }
    if (IsRoot(text, syntax) || IsValidDriveRoot(text, syntax, fs)) {
        return text;
    }
    if (EndsWithSeparator(text, syntax) && fs.kind(text) == FolderSystem::Kind::Folder) {
        return text;
    }
    return std::nullopt;
}

std::optional<CompletedPath> CompletePath(const std::string& text, PathSyntax syntax,
                                          const FolderSystem& fs) {
    const std::size_t cut = text.find_last_of(Separator(syntax));
    const std::string folder = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
    const std::string typedName = cut == std::string::npos ? text : text.substr(cut + 1);
    if (typedName.empty() || (syntax == PathSyntax::Windows && IsDriveSpec(text))) {
        return std::nullopt;
    }
    std::optional<std::string> match;
    for (const FolderEntry& entry : fs.entries(folder, typedName)) {
        if (!entry.isFolder || entry.name == "." || entry.name == "..") {
            continue;
        }
        if (match) {
            return std::nullopt;  // more than one folder matches
        }
        match = entry.name;
    }
    if (!match || match->size() <= typedName.size()) {
        return std::nullopt;
    }
    const std::string name =
        syntax == PathSyntax::Windows ? MatchTypedCase(*match, typedName) : *match;
    return CompletedPath{text + name.substr(typedName.size()), text.size()};
}

}  // namespace voltaris
