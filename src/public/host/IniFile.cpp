#include "host/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "host/FileReplace.h"
#include "types/TextUtil.h"
#include "types/Utf8.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

// Far more than any settings file the program writes; more is no settings file of ours.
constexpr std::size_t MaxFileBytes = 1 << 20;

std::string OneLine(std::string_view value)
{
    std::string text(value);
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

void CheckName(std::string_view name, std::string_view forbidden, std::string_view what)
{
    if (Trim(name).empty() || name.find_first_of(forbidden) != std::string_view::npos)
        throw std::invalid_argument(fmt::format("设置文件的{}名称无效: '{}'", what, name));
}

}  // namespace

IniFile::IniFile(std::filesystem::path file) : path(std::move(file))
{
    std::optional<std::string> content;
    try {
        content = ReadSettingsFile(path, MaxFileBytes);
    } catch (const FileReplaceError&) {
        return;
    }
    if (!content) return;
    auto parsed = Parse(*content);
    if (!parsed) return;
    sections = std::move(parsed->sections);
    loaded = true;
}

std::optional<IniFile> IniFile::Parse(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos || !ValidUtf8(text)) return std::nullopt;
    IniFile file;
    Section* current = nullptr;
    for (const auto& rawLine : Split(text, '\n')) {
        auto line = Trim(rawLine);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return std::nullopt;
            auto name = Trim(line.substr(1, line.size() - 2));
            current = file.FindSection(name);
            if (!current) current = &file.sections.emplace_back(Section{std::string(name), {}});
            continue;
        }
        auto equals = line.find('=');
        if (equals == std::string_view::npos || !current) return std::nullopt;
        auto key = Trim(line.substr(0, equals));
        if (key.empty()) return std::nullopt;
        auto value = std::string(Trim(line.substr(equals + 1)));
        auto existing = std::find_if(current->entries.begin(), current->entries.end(),
                                     [&](const Entry& entry) { return EqualsNoCase(entry.key, key); });
        if (existing != current->entries.end()) existing->value = std::move(value);
        else current->entries.push_back({std::string(key), std::move(value)});
    }
    return file;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const auto* entry = FindEntry(section, key);
    return entry ? entry->value : std::string(defaultValue);
}

namespace {

//! The caption of a setting in messages: its section and key, as the file writes them.
std::string SettingCaption(std::string_view section, std::string_view key) { return fmt::format("[{}] {}", section, key); }

//! Like a missing key, text that is no number at all leaves the default; a number the setting
//! cannot hold ("99999999999" for an integer, "1.5" for an integer, "1e300") is refused by its name.
bool IsAnyNumber(std::string_view text)
{
    return TryParseUserNumber(text, "", NumberRange::Signed(std::numeric_limits<double>::max())).has_value();
}

}  // namespace

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const auto* entry = FindEntry(section, key);
    if (!entry || !IsAnyNumber(entry->value)) return defaultValue;
    return static_cast<int>(ParseUserInteger(entry->value, SettingCaption(section, key), std::numeric_limits<int>::min(),
                                             std::numeric_limits<int>::max()));
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const
{
    const auto* entry = FindEntry(section, key);
    if (!entry || !IsAnyNumber(entry->value)) return defaultValue;
    return ParseUserNumber(entry->value, SettingCaption(section, key), NumberRange::Signed());
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    const auto* entry = FindEntry(section, key);
    if (!entry) return defaultValue;
    auto text = ToLowerAscii(entry->value);
    if (text == "true" || text == "yes" || text == "on") return true;
    if (text == "false" || text == "no" || text == "off") return false;
    if (!IsAnyNumber(text)) return defaultValue;
    return ParseUserNumber(text, SettingCaption(section, key), NumberRange::Signed()) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckName(section, "[]\r\n", "节");
    CheckName(key, "=\r\n", "键");
    auto* target = FindSection(Trim(section));
    if (!target) target = &sections.emplace_back(Section{std::string(Trim(section)), {}});
    auto name = Trim(key);
    auto text = std::string(Trim(OneLine(value)));
    for (auto& entry : target->entries) {
        if (!EqualsNoCase(entry.key, name)) continue;
        entry.value = std::move(text);
        return;
    }
    target->entries.push_back({std::string(name), std::move(text)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, double value)
{
    WriteString(section, key, fmt::format("{}", value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindEntry(section, key) != nullptr;
}

std::vector<std::string> IniFile::Sections() const
{
    std::vector<std::string> names;
    for (const auto& section : sections) names.push_back(section.name);
    return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const auto* found = FindSection(section))
        for (const auto& entry : found->entries) keys.push_back(entry.key);
    return keys;
}

void IniFile::EraseSection(std::string_view section)
{
    std::erase_if(sections, [&](const Section& s) { return EqualsNoCase(s.name, Trim(section)); });
}

void IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    if (auto* found = FindSection(section))
        std::erase_if(found->entries, [&](const Entry& entry) { return EqualsNoCase(entry.key, Trim(key)); });
}

std::string IniFile::Text() const
{
    std::string text;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0) text += '\n';
        text += fmt::format("[{}]\n", sections[i].name);
        for (const auto& entry : sections[i].entries) text += fmt::format("{}={}\n", entry.key, entry.value);
    }
    return text;
}

void IniFile::UpdateFile() const
{
    if (path.empty()) throw IniError("设置文件没有文件名");
    try {
        ReplaceFile(path, Text());
    } catch (const FileReplaceError& error) {
        throw IniError(error.what());
    }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const
{
    name = Trim(name);
    for (const auto& section : sections)
        if (EqualsNoCase(section.name, name)) return &section;
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Entry* IniFile::FindEntry(std::string_view section, std::string_view key) const
{
    const auto* found = FindSection(section);
    if (!found) return nullptr;
    key = Trim(key);
    for (const auto& entry : found->entries)
        if (EqualsNoCase(entry.key, key)) return &entry;
    return nullptr;
}

}  // namespace mfg
