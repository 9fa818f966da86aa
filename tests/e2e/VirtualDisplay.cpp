// One Xvfb for the whole end-to-end test program, driven through Xlib and XTest
// from inside the tests, so a key press or a screen read costs no extra process.
#include "VirtualDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <type_traits>

#include "Processes.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

static_assert(std::is_same_v<XWindow, Window> && std::is_same_v<XKeySym, KeySym>);

namespace {

const double serverStartSeconds = 20;
const int displayAttempts = 30;

VirtualDisplay *theDisplay = nullptr;
const std::string workPrefix = "vok-e2e-";

// Folders of test programs that died before they could tidy up.
void sweepLeftovers()
{
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(fs::temp_directory_path(), error)) {
        std::string name = entry.path().filename().string();
        if (name.compare(0, workPrefix.size(), workPrefix) != 0)
            continue;
        char *end = nullptr;
        long pid = std::strtol(name.c_str() + workPrefix.size(), &end, 10);
        if (pid > 0 && *end == '\0' && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(entry.path(), error);
    }
}

// Windows come and go under the bench's feet (a message box closing); a request
// on a vanished window simply fails, it is not an error of the test program.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

pid_t lockOwner(const std::string &lockPath)
{
    std::ifstream lock(lockPath);
    long pid = 0;
    return lock >> pid ? pid_t(pid) : 0;
}

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

std::vector<Window> mappedTopLevelWindows(Display *display)
{
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    std::vector<Window> windows;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return windows;
    for (unsigned i = 0; i < count; i++) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            windows.push_back(children[i]);
    }
    if (children)
        XFree(children);
    return windows;
}

} // namespace

VirtualDisplay &virtualDisplay()
{
    return *theDisplay;
}

void VirtualDisplay::SetUp()
{
    theDisplay = this;
    sweepLeftovers();
    workDirectory_ = (fs::temp_directory_path() / (workPrefix + std::to_string(getpid()))).string();
    std::error_code folderError;
    fs::create_directories(workDirectory_, folderError);
    ASSERT_FALSE(folderError) << "no temporary folder " << workDirectory_ << ": " << folderError.message();
    logPath_ = workDirectory_ + "/xvfb.log";
    // Start somewhere different from other test programs running at the same time.
    int first = 40 + getpid() % 200;
    for (int attempt = 0; attempt < displayAttempts && !display_; attempt++)
        tryDisplay(first + attempt);
    ASSERT_NE(display_, nullptr) << "no Xvfb could be started; its last log:\n" << readFileText(logPath_);
    XSetErrorHandler(ignoreXError);
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    ASSERT_TRUE(XTestQueryExtension(display_, &event, &error, &major, &minor)) << "Xvfb without XTest";
}

bool VirtualDisplay::tryDisplay(int number)
{
    std::string lockPath = "/tmp/.X" + std::to_string(number) + "-lock";
    pid_t owner = lockOwner(lockPath);
    if (owner > 0 && kill(owner, 0) == 0)
        return false;
    std::string name = ":" + std::to_string(number);
    ProcessLaunch launch;
    launch.arguments = {"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
    launch.environment = processEnvironmentWithout({});
    launch.directory = "/";
    launch.outputPath = logPath_;
    launch.errorPath = logPath_;
    server_ = processStart(launch);
    if (server_ < 0)
        return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(serverStartSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (processEnded(server_, nullptr)) {
            server_ = -1;
            return false;
        }
        // The lock file names the server that owns the display: a connection
        // counts only when it reaches ours, not one that raced us to the number.
        if (lockOwner(lockPath) == server_) {
            display_ = XOpenDisplay(name.c_str());
            if (display_) {
                name_ = name;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    processStop(server_, SIGTERM, 5);
    server_ = -1;
    return false;
}

void VirtualDisplay::TearDown()
{
    if (display_)
        XCloseDisplay(display_);
    display_ = nullptr;
    processStop(server_, SIGTERM, 5);
    server_ = -1;
    std::error_code ignored;
    fs::remove_all(workDirectory_, ignored);
}

XWindow VirtualDisplay::findWindowTitled(const std::string &title)
{
    for (Window window : mappedTopLevelWindows(display_)) {
        char *name = nullptr;
        bool found = XFetchName(display_, window, &name) && name && title == name;
        if (name)
            XFree(name);
        if (found)
            return window;
    }
    return 0;
}

std::vector<XWindow> VirtualDisplay::findWindowsOfClass(const std::string &className)
{
    std::vector<Window> found;
    for (Window window : mappedTopLevelWindows(display_)) {
        XClassHint hint{nullptr, nullptr};
        if (XGetClassHint(display_, window, &hint)) {
            if (hint.res_class && className == hint.res_class)
                found.push_back(window);
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    return found;
}

bool VirtualDisplay::windowSize(XWindow window, int *width, int *height)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes))
        return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

Image VirtualDisplay::capture(XWindow window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes))
        return Image();
    XImage *shot = XGetImage(display_, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!shot)
        return Image();
    const Visual *visual = attributes.visual;
    int redShift = shiftOf(visual->red_mask);
    int greenShift = shiftOf(visual->green_mask);
    int blueShift = shiftOf(visual->blue_mask);
    Image image(attributes.width, attributes.height);
    for (int y = 0; y < attributes.height; y++) {
        for (int x = 0; x < attributes.width; x++) {
            // The bench polls the screen often; reading 32-bit pixels straight
            // from the data keeps that cheap on a two-core machine.
            const auto *bytes = reinterpret_cast<const unsigned char *>(shot->data + y * shot->bytes_per_line + 4 * x);
            unsigned long value = shot->bits_per_pixel != 32 ? XGetPixel(shot, x, y)
                                  : shot->byte_order == LSBFirst
                                      ? bytes[0] | bytes[1] << 8 | bytes[2] << 16 | unsigned(bytes[3]) << 24
                                      : bytes[3] | bytes[2] << 8 | bytes[1] << 16 | unsigned(bytes[0]) << 24;
            image.setPixel(x, y,
                           Rgb{uint8_t((value & visual->red_mask) >> redShift),
                               uint8_t((value & visual->green_mask) >> greenShift),
                               uint8_t((value & visual->blue_mask) >> blueShift)});
        }
    }
    XDestroyImage(shot);
    return image;
}

void VirtualDisplay::focus(XWindow window)
{
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!windowSize(window, &width, &height) ||
        !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), width / 2, height / 2, &x, &y,
                               &child))
        return;
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

void VirtualDisplay::holdKeys(const std::vector<XKeySym> &keys, std::chrono::milliseconds time)
{
    std::vector<KeyCode> codes;
    for (XKeySym key : keys) {
        codes.push_back(XKeysymToKeycode(display_, key));
        ASSERT_NE(codes.back(), 0) << "the X server's keymap has no key for " << XKeysymToString(key);
    }
    for (KeyCode code : codes)
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XSync(display_, False);
    std::this_thread::sleep_for(time);
    for (KeyCode code : codes)
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}
