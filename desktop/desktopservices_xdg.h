#pragma once

#include <QString>
#include <optional>

// What the freedesktop shell open does next with an address, given what it has learnt so far.
enum class ShellStep { AskHandler, XdgOpen, LogIn, FileManager, Done };

// `handler`: whether the desktop has a handler registered for the address's scheme, unknown
// until asked. `opened`: whether xdg-open succeeded, unknown until it has ended. `loggedin`:
// whether the login through GIO has been tried. Addresses of the schemes a file manager
// browses go to the file manager, logged in first, when nothing else would show them.
ShellStep nextshellstep(const QString& address, std::optional<bool> handler, std::optional<bool> opened,
                        bool loggedin = false);
