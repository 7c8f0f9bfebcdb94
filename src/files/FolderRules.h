// What the folder chooser does with a typed path: the Enter and Open rules with their
// questions and refusals, the folders it moves to while the user types, and the completion of
// a single matching sub-folder. Windows names (drives, "\\server\share" paths) and POSIX names
// follow the same rules with their own separator; no Qt, so both are tested on any system.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltaris {

enum class PathSyntax { Windows, Posix };

// The syntax of this system's paths.
[[nodiscard]] PathSyntax HostPathSyntax();

// The kinds of volume the creation messages tell apart, numbered as Windows numbers them; a
// drive letter is valid when its type is above NoRootDir.
enum class DriveType { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4,
                       CdRom = 5, RamDisk = 6 };

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The file system as the chooser sees it. A relative path is taken from the folder the
// chooser shows.
class FolderSystem {
public:
    enum class Kind { Missing, Folder, File };
    virtual ~FolderSystem() = default;
    [[nodiscard]] virtual Kind kind(const std::string& path) const = 0;
    // The type of drive `letter` (Windows names only).
    [[nodiscard]] virtual DriveType driveType(char letter) const = 0;
    // The volume a folder at `path` would be created on.
    [[nodiscard]] virtual DriveType volumeType(const std::string& path) const = 0;
    // Creates `path` (ending with a separator) with all its missing parents.
    [[nodiscard]] virtual bool createFolders(const std::string& path) = 0;
    // The entries of `folder` (empty: the folder shown) whose name starts with `prefix`,
    // in letter case as the system compares names.
    [[nodiscard]] virtual std::vector<FolderEntry> entries(const std::string& folder,
                                                           const std::string& prefix) const = 0;
};

// The questions and refusals of the chooser: plain boxes of the application.
class FolderPrompts {
public:
    virtual ~FolderPrompts() = default;
    [[nodiscard]] virtual bool askYesNo(const std::string& text) = 0;
    virtual void tell(const std::string& text) = 0;
};

inline constexpr const char* kFolderDefaultTitle = "Select Folder";
inline constexpr const char* kFolderLabelText = "Folder:";
inline constexpr const char* kFolderOpenCaption = "Open";
inline constexpr const char* kFolderCreateQuestion =
    "\nThis folder does not exist.\n\nDo you want to create it?";
inline constexpr const char* kFolderNotValid = "\nThis is not a valid folder.";
inline constexpr const char* kFolderDriveInvalid = "\nThe drive is invalid.";
inline constexpr const char* kFolderIsAFile = "\nThis is a file not a directory.";

// Where a creation failure is reported: the texts for a fixed drive differ.
enum class CreationContext { Enter, Open };
[[nodiscard]] std::string CreationFailureText(DriveType type, CreationContext context);

[[nodiscard]] char Separator(PathSyntax syntax);
// `path` with a separator at its end.
[[nodiscard]] std::string WithTrailingSeparator(std::string path, PathSyntax syntax);

// Windows names: "C:", "C:\", "\\server".
[[nodiscard]] bool IsDriveSpec(std::string_view text);
[[nodiscard]] bool IsDriveRoot(std::string_view text);
[[nodiscard]] bool IsServerName(std::string_view text);
// A Windows path that starts with a drive letter whose type is not above NoRootDir.
[[nodiscard]] bool OnInvalidDrive(std::string_view text, PathSyntax syntax,
                                  const FolderSystem& fs);

// Enter in the path field: the path to show, asking first to create a missing folder; nothing
// when the user declined or the folder could not be created (after saying so).
[[nodiscard]] std::optional<std::string> EnterPath(const std::string& text, PathSyntax syntax,
                                                   FolderSystem& fs, FolderPrompts& prompts);

// Open: the path to show and accept, asking first to create a missing folder; nothing when the
// dialog stays open (after a refusal, a No or a failed creation).
[[nodiscard]] std::optional<std::string> OpenPath(const std::string& text, PathSyntax syntax,
                                                  FolderSystem& fs, FolderPrompts& prompts);

// The folder to move to as the field's text changed by typing or Delete: the root, the root of
// a valid drive, or an existing folder named with a trailing separator.
[[nodiscard]] std::optional<std::string> TypedFolder(const std::string& text, PathSyntax syntax,
                                                     const FolderSystem& fs);

// The field after completion: the text and where the added, selected part starts.
struct CompletedPath {
    std::string text;
    std::size_t selectionStart = 0;
};

// Completes `text`, whose last character was just typed, when exactly one entry matching it is
// a folder. Windows names are matched in any letter case and the completed name takes the
// letter case of what was typed.
[[nodiscard]] std::optional<CompletedPath> CompletePath(const std::string& text, PathSyntax syntax,
                                                        const FolderSystem& fs);

}  // namespace voltaris
