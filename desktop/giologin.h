#pragma once

#include <QString>
#include <functional>

// How a login through GIO ended.
struct LoginResult {
    enum Outcome {
        Mounted, // the site is mounted, now or already before
        Refused, // the site refused the user ID and password the address holds
        Declined, // the user said no to one of GVfs's questions
        Failed, // anything else, GIO or GVfs missing too; `message` says what, in GIO's words
    };
    Outcome outcome = Failed;
    QString message;
    // Once mounted, the site's folder as a local path, where GVfs offers one (gvfsd-fuse);
    // empty otherwise. Any program reaches the site through it.
    QString localpath;
};

// Logs in to the site of an ftp, ftps or sftp `address` through GIO, so that the file manager
// finds it mounted and does not ask again for what the address already holds. Returns at once;
// `done` runs later on the window's thread, once, however the login ended.
void giologin(const QString& address, std::function<void(const LoginResult&)> done);
