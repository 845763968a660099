#pragma once
// The application object: starts GDI+, the common controls and the rich-edit library, runs the
// main window modally for the whole run, and shuts down what it started.

#include "app/AppOptions.h"

namespace tsu {

class CTarrowSoftwareUninstallApp {
public:
    explicit CTarrowSoftwareUninstallApp(AppOptions options);

    // The whole run; the process's exit code.
    int Run();

private:
    AppOptions m_options;
};

} // namespace tsu
