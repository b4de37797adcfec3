#pragma once

#include <QString>
#include <functional>

// Logs in to the site of an ftp, ftps or sftp `address` through GIO, so that the file manager
// finds it mounted and does not ask again for what the address already holds. Returns at once;
// `done` runs later on the window's thread, whether the login worked or not (without GIO and
// GVfs, too), so the caller can go on and show the site either way.
void giologin(const QString& address, std::function<void()> done);
