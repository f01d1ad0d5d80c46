#pragma once
// The console's standard output, the one road of everything a command prints: what goes out is
// well-formed UTF-8 (a byte of old text that is none shows as U+FFFD), a terminal is never sent a
// control character that it would obey (an escape sequence in a goods name shows as "\x1b"), and
// every write is checked, so that a full disk or a closed device ends the command with exit code 1
// instead of a cut result and success.

#include <streambuf>
#include <string>
#include <string_view>

namespace mfg {

//! Bytes as they go out: invalid UTF-8 replaced; for a terminal, control characters but line
//! feed and tab written as escapes.
std::string OutputText(std::string_view bytes, bool terminal);

class ConsoleOutput : public std::streambuf {
public:
    //! Output to the file descriptor `fd`, named `name` in messages.
    ConsoleOutput(int fd, std::string name);
    //! Writes what is left; true when every write succeeded.
    bool Finish();
    //! What failed, naming the output; empty while nothing has.
    std::string Failure() const;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    bool Send(bool final);

    static constexpr std::size_t SendSize = 1u << 16;

    int fd;
    std::string name;
    bool terminal;
    std::string pending;
    int error = 0;
};

}  // namespace mfg
