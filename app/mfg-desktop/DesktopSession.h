#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/Users.h"

namespace mfg {

//! The desktop's session: the database opened from a URL, the accounts on it and, once Start has
//! run, the logged-in operator and branch, current for the module while the session lives. Its
//! messages go to the Qt message boxes.
class DesktopSession {
public:
    //! Opens the database; throws on a URL that cannot be opened.
    explicit DesktopSession(std::string url);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    //! Makes the session current with the operator and branch logged in.
    void Start(const UserAccount& account, int shopID);
    //! The name of a branch; empty when it does not exist.
    std::string ShopName(int shopID);

    const std::string& Url() const { return url; }
    Host& GetHost() { return host; }
    mfg::Users& Users() { return users; }

private:
    std::string url;
    Host host;
    mfg::Users users;
    bool started = false;
};

}  // namespace mfg
