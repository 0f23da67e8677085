#pragma once
// What forms need of the application object: closing its main form ends the run. The application
// lies above forms, so it hands them these when the library is loaded (Application.cpp).
// Private to platform/ui.

namespace qor {

class TCustomForm;

struct TApplicationHooks {
    // Whether Form is the application's main form.
    bool (*IsMainForm)(const TCustomForm* Form) = nullptr;
    // Ends the application's run (TApplication::Terminate).
    void (*Terminate)() = nullptr;
};

void SetApplicationHooks(const TApplicationHooks& Hooks);

} // namespace qor
