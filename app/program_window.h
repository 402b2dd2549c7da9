#pragma once
// The program's main window as the application sees it: built at start-up, wired to the
// document and the application's own commands, shown, and destroyed first at the exit. The
// main frame (ui/main_frame.h) implements it; the program's entry hands the application a
// maker, so app/ never names a window class.
#include "app/document_views.h"

#include <functional>

class CVelmontDoc;

class ProgramWindow : public DocumentViews {
public:
    virtual ~ProgramWindow() = default;

    // Places the window (three quarters of the screen, centred) and builds its panes; false:
    // the panes could not be made (the window has said why).
    virtual bool Build() = 0;
    // The file commands, the recent files and the close question go to document; "about"
    // runs about.
    virtual void ConnectDocument(CVelmontDoc* document, std::function<void()> about) = 0;
};
