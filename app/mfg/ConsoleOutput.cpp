#include "ConsoleOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include <fmt/format.h>

#include "types/Utf8.h"

namespace mfg {
namespace {

//! The bytes a lead byte promises, or 1 for a byte that leads nothing.
std::size_t PromisedLength(unsigned char lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

//! Where a character cut by the end of `bytes` starts; the size when none is cut.
std::size_t CutCharacter(std::string_view bytes)
{
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;
        return PromisedLength(byte) > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

bool ObeyedByTerminal(char32_t c) { return (c < 0x20 && c != '\n' && c != '\t') || (c >= 0x7F && c <= 0x9F); }

char32_t CodePoint(std::string_view character)
{
    const auto lead = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) return lead;
    char32_t c = lead & (0x7F >> character.size());
    for (std::size_t k = 1; k < character.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(character[k]) & 0x3F);
    return c;
}

}  // namespace

std::string OutputText(std::string_view bytes, bool terminal)
{
    std::string text = ReplaceInvalidUtf8(bytes);
    if (!terminal) return text;
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8CharLength(std::string_view(text).substr(i));
        const char32_t c = CodePoint(std::string_view(text).substr(i, length));
        if (!ObeyedByTerminal(c))
            shown.append(text, i, length);
        else if (c < 0x80)
            fmt::format_to(std::back_inserter(shown), "\\x{:02x}", static_cast<unsigned>(c));
        else
            fmt::format_to(std::back_inserter(shown), "\\u{:04x}", static_cast<unsigned>(c));
        i += length;
    }
    return shown;
}

ConsoleOutput::ConsoleOutput(int fd, std::string name) : fd(fd), name(std::move(name)), terminal(::isatty(fd) != 0) {}

ConsoleOutput::int_type ConsoleOutput::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : c;
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize ConsoleOutput::xsputn(const char* bytes, std::streamsize count)
{
    if (error != 0) return 0;
    pending.append(bytes, static_cast<std::size_t>(count));
    // A terminal shows each line as it comes; elsewhere large pieces are cheaper.
    const bool due = pending.size() >= SendSize ||
                     (terminal && std::string_view(bytes, static_cast<std::size_t>(count)).find('\n') != std::string_view::npos);
    if (due && !Send(false)) return 0;
    return count;
}

int ConsoleOutput::sync() { return Send(false) ? 0 : -1; }

bool ConsoleOutput::Send(bool final)
{
    if (error != 0) return false;
    // A character cut by the end of the buffer waits for the rest of it.
    const std::size_t end = final ? pending.size() : CutCharacter(pending);
    std::string_view text = std::string_view(pending).substr(0, end);
    std::string shown;
    if (terminal || !ValidUtf8(text)) {
        shown = OutputText(text, terminal);
        text = shown;
    }
    for (std::size_t written = 0; written < text.size();) {
        auto n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            pending.clear();
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    pending.erase(0, end);
    return true;
}

bool ConsoleOutput::Finish() { return Send(true); }

std::string ConsoleOutput::Failure() const
{
    return error == 0 ? std::string() : fmt::format("无法写入{}: {}", name, std::strerror(error));
}

}  // namespace mfg
