#include "host/PinYin.h"

#include <unicode/translit.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace mfg {
namespace {

//! A word whose initials the transliterator gets wrong where goods, units and traders use it.
struct WordReading {
    std::u32string_view word;
    std::string_view initials;
};

// ICU reads each of these characters by its most frequent reading, which is not the one of these
// words. 长 stands alone: in goods names it is almost always cháng (long), and the words after it
// bring back zhǎng where a name means a head of something.
constexpr WordReading wordReadings[] = {
    {U"长", "C"},       {U"厂长", "CZ"},   {U"组长", "ZZ"},   {U"班长", "BZ"},   {U"部长", "BZ"},
    {U"科长", "KZ"},    {U"校长", "XZ"},   {U"增长", "ZZ"},   {U"生长", "SZ"},   {U"成长", "CZ"},
    {U"长度", "CD"},    {U"银行", "YH"},   {U"车行", "CH"},   {U"商行", "SH"},   {U"行业", "HY"},
    {U"行情", "HQ"},    {U"重量", "ZL"},   {U"重复", "CF"},   {U"重叠", "CD"},   {U"重新", "CX"},
    {U"单车", "DC"},    {U"弹簧", "TH"},   {U"弹力", "TL"},   {U"弹性", "TX"},   {U"弹片", "TP"},
    {U"调节", "TJ"},    {U"调速", "TS"},   {U"调压", "TY"},   {U"调整", "TZ"},   {U"调试", "TS"},
    {U"调温", "TW"},    {U"微调", "WT"},   {U"空调", "KT"},   {U"校准", "JZ"},   {U"校正", "JZ"},
    {U"校验", "JY"},    {U"乐器", "YQ"},   {U"音乐", "YY"},   {U"给水", "JS"},   {U"供给", "GJ"},
    {U"发卡", "FQ"},    {U"人参", "RS"},
};

char AsciiInitial(char32_t c)
{
    if (c >= U'0' && c <= U'9') return static_cast<char>(c);
    if (c >= U'A' && c <= U'Z') return static_cast<char>(c);
    if (c >= U'a' && c <= U'z') return static_cast<char>(c - U'a' + U'A');
    // Full-width digits and letters, as an input method in full-width mode types them.
    if (c >= U'\uFF10' && c <= U'\uFF19') return static_cast<char>('0' + (c - U'\uFF10'));
    if (c >= U'\uFF21' && c <= U'\uFF3A') return static_cast<char>('A' + (c - U'\uFF21'));
    if (c >= U'\uFF41' && c <= U'\uFF5A') return static_cast<char>('A' + (c - U'\uFF41'));
    return 0;
}

bool IsHan(char32_t c)
{
    UErrorCode status = U_ZERO_ERROR;
    return uscript_getScript(static_cast<UChar32>(c), &status) == USCRIPT_HAN && U_SUCCESS(status);
}

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string result;
    result.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        // A broken sequence is no character of any name: it is dropped like punctuation.
        if (c >= 0) result.push_back(static_cast<char32_t>(c));
    }
    return result;
}

//! The transliterator and what it already answered. Creating it loads ICU's rule data, which
//! takes far longer than a goods list filter may, so there is one per process.
class Initials {
public:
    static Initials& Instance()
    {
        static Initials instance;
        return instance;
    }

    std::string Of(std::string_view text)
    {
        std::u32string characters = DecodeUtf8(text);
        std::lock_guard lock(mutex);
        std::string result;
        for (size_t i = 0; i < characters.size();) {
            if (const WordReading* word = WordAt(characters, i)) {
                result += word->initials;
                i += word->word.size();
                continue;
            }
            if (char initial = InitialLocked(characters[i])) result += initial;
            ++i;
        }
        return result;
    }

    char InitialOf(char32_t c)
    {
        std::lock_guard lock(mutex);
        return InitialLocked(c);
    }

private:
    Initials()
    {
        UErrorCode status = U_ZERO_ERROR;
        transliterator.reset(icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status) || !transliterator)
            throw std::runtime_error(std::string("ICU 无法建立拼音转写 Han-Latin: ") + u_errorName(status));
        for (const auto& reading : wordReadings) byFirst[reading.word.front()].push_back(&reading);
        for (auto& [first, words] : byFirst)
            std::sort(words.begin(), words.end(),
                      [](const WordReading* a, const WordReading* b) { return a->word.size() > b->word.size(); });
    }

    const WordReading* WordAt(const std::u32string& characters, size_t at) const
    {
        auto found = byFirst.find(characters[at]);
        if (found == byFirst.end()) return nullptr;
        std::u32string_view rest(characters.data() + at, characters.size() - at);
        for (const WordReading* word : found->second)
            if (rest.starts_with(word->word)) return word;
        return nullptr;
    }

    char InitialLocked(char32_t c)
    {
        if (char ascii = AsciiInitial(c)) return ascii;
        if (!IsHan(c)) return 0;
        auto cached = cache.find(c);
        if (cached != cache.end()) return cached->second;
        icu::UnicodeString latin(static_cast<UChar32>(c));
        transliterator->transliterate(latin);
        char initial = 0;
        // A character ICU has no reading for comes back unchanged and has no initial.
        for (int32_t i = 0; i < latin.length() && !initial; ++i) {
            char16_t unit = latin.charAt(i);
            if ((unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z')) initial = AsciiInitial(unit);
        }
        cache.emplace(c, initial);
        return initial;
    }

    std::mutex mutex;
    std::unique_ptr<icu::Transliterator> transliterator;
    std::unordered_map<char32_t, char> cache;
    std::unordered_map<char32_t, std::vector<const WordReading*>> byFirst;
};

}  // namespace

std::string GetPYIndexChar(std::string_view text)
{
    if (text.empty()) return {};
    return Initials::Instance().Of(text);
}

char PYInitialOf(char32_t character) { return Initials::Instance().InitialOf(character); }

}  // namespace mfg
