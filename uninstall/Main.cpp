#include "uninstall/UnInstallApp.h"

namespace {
UnInstallApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(instance);
}
