// The headless X server the scenarios run on, one for the whole test program,
// and what a person sitting at it does: find windows, look at them, hold keys.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>

#include <string>
#include <vector>

#include "Image.h"

// Xlib's own types, without Xlib's macros (None, Bool, Status) that collide
// with GoogleTest's names.
struct _XDisplay;
using XWindow = unsigned long;
using XKeySym = unsigned long;

class VirtualDisplay : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // ":N", for the DISPLAY of the programs started on it.
    const std::string &name() const { return name_; }
    // This test program's own temporary folder, removed at the end; one left
    // by a test program that was killed goes at the next start.
    const std::string &workDirectory() const { return workDirectory_; }

    // Mapped top-level windows whose WM_NAME is the title (0 if none).
    XWindow findWindowTitled(const std::string &title);
    // Mapped top-level windows whose WM_CLASS class is this one.
    std::vector<XWindow> findWindowsOfClass(const std::string &className);

    // False when the window is gone.
    bool windowSize(XWindow window, int *width, int *height);
    // An empty image when the window is gone.
    Image capture(XWindow window);

    // Gives the window the keyboard and puts the pointer over it.
    void focus(XWindow window);
    // Keys down, held about as long as a quick press by hand, keys up.
    void holdKeys(const std::vector<XKeySym> &keys, std::chrono::milliseconds time = quickPress);
    static constexpr std::chrono::milliseconds quickPress{90};

private:
    bool tryDisplay(int number);

    std::string name_;
    std::string workDirectory_;
    std::string logPath_;
    pid_t server_ = -1;
    _XDisplay *display_ = nullptr;
};

// The one display of this test program, set up before the first test.
VirtualDisplay &virtualDisplay();
