#pragma once
// The package check on a worker while the window keeps pumping its messages, so that it paints
// and moves while a large package is hashed.
#include <windows.h>

#include <string>

#include "sys/Handles.h"
#include "sys/Task.h"
#include "ui/MainWindowServices.h"

class TPumpedPackageCheck {
public:
    // Raises busy for as long as the check runs; the worker gets its own copy of the path and the
    // handle value (the caller keeps the file open until the check has ended).
    TPumpedPackageCheck(bool& busy, IMainWindowServices& services, std::wstring path, HANDLE file);
    // Waits for the check and lowers busy on every way out, an exception from a pumped handler
    // included: the worker reads through the caller's handle.
    ~TPumpedPackageCheck();
    TPumpedPackageCheck(const TPumpedPackageCheck&) = delete;
    TPumpedPackageCheck& operator=(const TPumpedPackageCheck&) = delete;

    // Pumps messages until the check has ended and gives its verdict; a check that threw
    // rejects the package.
    TPackageCheck Wait();

private:
    bool& FBusy;
    sys::TTask<TPackageCheck> FTask;
};

// Opens the package at path into `package` and checks it while the window pumps; a package that
// cannot be read (held by another program, an I/O error, a check that threw) is opened and
// checked again for up to the services' retry time. Unreadable in the verdict when it never
// could be read: nothing about it was judged.
TPackageCheck CheckHeldPackage(bool& busy, IMainWindowServices& services, const std::wstring& path,
                               TFileHandle& package);
