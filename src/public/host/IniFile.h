#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mfg {

//! A settings file that could not be written; the text names the file and the reason.
class IniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! A settings file in the manner of "System.ini": "[Section]" lines and "Key=Value" lines under
//! them, UTF-8, names compared without case, values kept as text. Blank lines and lines starting
//! with ';' or '#' are passed over on reading and not written back.
//!
//! Settings are a convenience, never a reason to stop: a missing, unreadable or malformed file
//! (a line that is neither section, value nor comment, a value before any section, bytes that
//! are no UTF-8) reads as empty and every Read gives the caller's default.
class IniFile {
public:
    //! An empty file with no path.
    IniFile() = default;
    //! Reads `path`; see the class comment for what reads as empty.
    explicit IniFile(std::filesystem::path path);
    //! The settings of a text; nullopt when it is malformed.
    static std::optional<IniFile> Parse(std::string_view text);

    const std::filesystem::path& Path() const { return path; }
    void SetPath(std::filesystem::path value) { path = std::move(value); }
    //! True when the file existed and was read; false when it read as empty for any reason.
    bool Loaded() const { return loaded; }

    //! The value's text; `defaultValue` when the section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    //! The value as a whole number; `defaultValue` when missing or no number.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    //! The value as a number; `defaultValue` when missing or no number.
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
    //! "1"/"true"/"yes"/"on" (or any number but 0) read true, "0"/"false"/"no"/"off" false, anything else the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    //! Sets a value (line breaks in it become blanks), adding the section and key when missing.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteFloat(std::string_view section, std::string_view key, double value);
    //! Written as "1" or "0".
    void WriteBool(std::string_view section, std::string_view key, bool value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    //! The section names in file order.
    std::vector<std::string> Sections() const;
    //! The keys of a section in file order.
    std::vector<std::string> Keys(std::string_view section) const;
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

    //! The file's text as UpdateFile writes it.
    std::string Text() const;
    //! Writes the whole file to a temporary file beside it, flushes it to disk and renames it over
    //! the old one, so a crash or a full disk never leaves a half-written settings file behind.
    //! Throws IniError on failure, with the old file untouched.
    void UpdateFile() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    const Entry* FindEntry(std::string_view section, std::string_view key) const;

    std::filesystem::path path;
    std::vector<Section> sections;
    bool loaded = false;
};

}  // namespace mfg
