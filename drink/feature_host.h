#pragma once

#include <QString>

// What the windows of the two reminder features ask of the main window that hosts them: its page
// switch, its two reminder timers, and coming to the front on a page. The main window (app/)
// implements it; the features reach it through TheMainWindow, which is null while there is none.
class FeatureHost {
  public:
    virtual ~FeatureHost() = default;
    // Switches the main window to the page a button name selects ("btn_back": home), whether it
    // is shown or not.
    virtual void ShowPage(const QString& buttonName) = 0;
    // Shows the main window in front with the page a button name selects.
    virtual void ShowOnPage(const QString& buttonName) = 0;
    // Restarts a reminder timer from the stored switch and interval (stopped when switched off).
    virtual void RearmRelaxTimer() = 0;
    virtual void RearmDrinkTimer() = 0;
};

extern FeatureHost* TheMainWindow;
