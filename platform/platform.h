// platform/platform.h - everything the core asks of the operating system.
//
// The core keeps the meanings of the Windows desktop: exclusive RECT edges, COLORREF
// brush values (0x00BBGGRR), top-down 0x00RRGGBB images, virtual-key codes, numbered
// window timers and the message order input -> paint -> timer. Every backend
// (headless, sdl, win32) implements every function here; one backend is linked.
//
// Drawing calls are valid only while the window procedure handles WM_PAINT.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// ---- Messages, as the window procedure sees them -------------------------------------
enum : uint32_t {
    WM_CREATE      = 0x0001,
    WM_DESTROY     = 0x0002,
    WM_SETFOCUS    = 0x0007,
    WM_KILLFOCUS   = 0x0008,
    WM_PAINT       = 0x000F,
    WM_CLOSE       = 0x0010,
    WM_QUIT        = 0x0012,
    WM_KEYDOWN     = 0x0100,
    WM_KEYUP       = 0x0101,
    WM_SYSKEYDOWN  = 0x0104,
    WM_SYSKEYUP    = 0x0105,
    WM_TIMER       = 0x0113,
    WM_MOUSEMOVE   = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP   = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP   = 0x0205,
    WM_MOUSEWHEEL  = 0x020A,
};

// Virtual-key codes the core uses by name (letters and digits are their ASCII capitals).
enum : uint32_t {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_NUMPAD0 = 0x60, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
    VK_F1 = 0x70, VK_F4 = 0x73, VK_F12 = 0x7B, VK_OEM_PLUS = 0xBB, VK_OEM_MINUS = 0xBD,
};

// The two colour orders: brushes and pixel reads are COLORREF values, images hold RGB pixels.
typedef uint32_t ColourRef;   // 0x00BBGGRR
typedef uint32_t RgbPixel;   // 0x00RRGGBB
constexpr int PlatBytesPerPixel = int(sizeof(RgbPixel));   // of an image in memory and on the screen
constexpr int PlatBitsPerPixel = 8 * PlatBytesPerPixel;

constexpr ColourRef CLR_INVALID = 0xFFFFFFFF;   // a pixel read outside the window

struct PlatMsg {
    uint32_t  message;
    uintptr_t wParam;
    intptr_t  lParam;
};

// A window procedure, registered with the window class as Win32 does; backends deliver
// every message of the window through it.
typedef intptr_t (*PlatWndProc)(uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Clock, processors, fatal box ---------------------------------------------------
int64_t PlatPerfCounter();          // high-resolution ticks, counted from program start
int64_t PlatPerfFrequency();        // ticks per second
int     PlatProcessorCount();       // logical processors
void    PlatMessageBox(const char* text, const char* caption);   // modal, error icon, topmost
[[noreturn]] void PlatExitProcess(int code);

// Sets a large process-global buffer to zero without touching the pages nobody has written:
// the system hands those out zeroed. Where it can, the written pages go back to the system,
// which maps fresh zeroed ones when they are next used.
void    PlatClearBuffer(void* buffer, size_t bytes);
// Where such a buffer starts, so that its large pages begin with its first byte. Windows has
// none for a program's own buffers, and its object files cannot align that far.
#ifdef _WIN32
constexpr size_t PlatLargePageAlignment = 4096;
#else
constexpr size_t PlatLargePageAlignment = size_t(2) << 20;
#endif

// A thread sleeps on a 32-bit word until another thread changes it and wakes it. The wait
// returns at once when the word no longer holds value, and may also return for no reason,
// so the caller looks at the word again; the wake reaches one thread sleeping on the word.
void    PlatWaitWhileEqual(std::atomic<uint32_t>& word, uint32_t value);
void    PlatWakeOne(std::atomic<uint32_t>& word);
// The same on a 64-bit word.
void    PlatWaitWhileEqual(std::atomic<uint64_t>& word, uint64_t value);
void    PlatWakeOne(std::atomic<uint64_t>& word);

struct PlatLocalTime { int Year, Month, Day, Hour, Minute, Second; };
PlatLocalTime PlatGetLocalTime();

// ---- Display metrics -----------------------------------------------------------------
struct PlatDisplayMetrics {
    int32_t ModeWidth, ModeHeight;        // pixels of the current display mode (physical)
    int32_t ScreenWidth, ScreenHeight;    // the screen as the program sees it (logical)
    int32_t WorkLeft, WorkTop, WorkRight, WorkBottom;   // work area (screen minus taskbar)
};
PlatDisplayMetrics PlatGetDisplayMetrics();

// ---- Window --------------------------------------------------------------------------
bool PlatRegisterWindowClass(const char* className, PlatWndProc proc);  // icon, arrow cursor
bool PlatCreateWindow(const char* className, const char* title, int x, int y, int w, int h);
void PlatDestroyWindow();            // sends WM_DESTROY before it returns
void PlatPostQuitMessage(int code);
void PlatMinimiseWindow();           // ShowWindow SW_MINIMIZE
void PlatRestoreWindow();            // ShowWindow SW_RESTORE
intptr_t PlatDefWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Message loop --------------------------------------------------------------------
bool PlatGetMessage(PlatMsg* msg);   // false on WM_QUIT
void PlatDispatchMessage(const PlatMsg* msg);

// ---- Paint ---------------------------------------------------------------------------
void PlatInvalidate();               // the whole client area; queues one WM_PAINT
bool PlatPaintPending();             // GetQueueStatus(QS_PAINT) != 0
void PlatBeginPaint();               // validates the window
void PlatEndPaint();                 // presents what the paint drew

void     PlatFillRect(int left, int top, int right, int bottom, ColourRef colour);
void     PlatSetPixel(int x, int y, ColourRef colour);
ColourRef PlatGetPixel(int x, int y);            // CLR_INVALID outside the window
// SetDIBitsToDevice for a top-down 32-bit image of imageW x imageH pixels (0x00RRGGBB):
// ySrc is measured from the image's bottom edge, as that call does even for top-down rows.
void PlatSetDIBitsToDevice(int xDest, int yDest, int w, int h, int xSrc, int ySrc,
                           const RgbPixel* image, int imageW, int imageH);

// ---- Timers (WM_TIMER with wParam = id, only when nothing else is waiting) ---------------
void PlatSetTimer(int id, int ms);
void PlatKillTimer(int id);

// ---- Results -------------------------------------------------------------------------
// What became of work that can fail, with the reason a user is told: the system's own words
// for its failures ("No space left on device"), the program's words for its own ("out of
// memory"). True when done, so `if (!PlatWriteFile(...))` reads as it should.
enum class Outcome : uint8_t { Done, Failed, Cancelled };
constexpr int PlatReasonCapacity = 160;
struct PlatResult {
    Outcome Code;
    char    Reason[PlatReasonCapacity];   // "" unless failed
    explicit operator bool() const { return Code == Outcome::Done; }
};
constexpr PlatResult PlatDone() { return PlatResult{Outcome::Done, ""}; }
constexpr PlatResult PlatCancelled() { return PlatResult{Outcome::Cancelled, ""}; }
PlatResult PlatFailed(const char* reason);   // a failure in the program's own words
PlatResult PlatSystemFailure();              // the failure the system's last call reported
PlatResult PlatOutOfMemory();                // a buffer could not be had

// ---- Files ---------------------------------------------------------------------------
// The room a path is given everywhere: any path the systems hand out fits.
constexpr int PlatPathCapacity = 4096;

bool PlatFullPath(const char* path, char* out, int outSize);   // absolute form of a path
// The running program's own file as an absolute path. Systems that can name it themselves do;
// the others take the full path of argv0, the name the program was started by.
bool PlatProgramPath(const char* argv0, char* out, int outSize);
char PlatPathSeparator();                                      // between folder names in a path
bool PlatFileExists(const char* path);                         // a regular file
PlatResult PlatCreateFolder(const char* path);                 // one level; done if it exists
// Whether files can be saved in the folder: it is a folder this process may create files in,
// or it does not exist yet and its parent is such a folder.
bool PlatFolderWritable(const char* path);
// Whether a file can be written at path: it is no folder, and a fresh file there can be
// started (and is given up again at once, so nothing changes). The reason says why not.
PlatResult PlatOutputPlaceUsable(const char* path);
// The user's own folder for pictures, absolute and without a final separator; it need not
// exist yet. On Windows the known folder Pictures (SHGetKnownFolderPath with FOLDERID_Pictures,
// or SHGetFolderPathA with CSIDL_MYPICTURES); on a freedesktop system XDG_PICTURES_DIR, from the
// environment or else from user-dirs.dirs in the user's configuration folder, and otherwise
// Pictures in the home folder. False when the user has none or it does not fit outSize.
bool PlatUserPicturesFolder(char* out, int outSize);
// Reads at most maxBytes; returns the byte count, or -1 when the file cannot be read.
int64_t PlatReadFile(const char* path, char* buffer, int64_t maxBytes);
// For files read piece by piece: the size of a regular file (-1 when there is none), and at
// most maxBytes from byte `offset` on (fewer at the end, -1 when it cannot be read).
int64_t PlatFileSize(const char* path);
int64_t PlatReadFileAt(const char* path, int64_t offset, char* buffer, int64_t maxBytes);
// Writes the whole file or nothing: an existing file is replaced only after all bytes reached
// the disk. Any failure leaves no partial file behind.
PlatResult PlatWriteFile(const char* path, const void* data, int64_t bytes);
// The same for a file written in pieces, for files too large to build in memory: the bytes
// go to a fresh name beside the target, which PlatFinishFile replaces only once they all
// reached the disk. Begin returns nullptr on failure, and the reason in *why when given.
// After a failed write the file can only be abandoned, or finished, which then reports that
// failure again; Finish and Abandon release the writer whatever happens, and after a
// failure or an abandon neither the target nor a partial file has changed.
struct PlatFileWriter;
PlatFileWriter* PlatBeginFile(const char* path, PlatResult* why = nullptr);
PlatResult PlatWriteBytes(PlatFileWriter* file, const void* data, int64_t bytes);
PlatResult PlatFinishFile(PlatFileWriter* file);
void PlatAbandonFile(PlatFileWriter* file);
PlatResult PlatRenameFile(const char* from, const char* to);   // replaces an existing target
bool PlatDeleteFile(const char* path);

// ---- Other programs ------------------------------------------------------------------
// Whether a program of this name can be started: a name with a path is checked as given,
// a bare name is looked up on the system's search path, as PlatStartChild does.
bool PlatProgramAvailable(const char* name);
// Starts the program argv[0] (looked up as above) with the arguments argv[1 ..], the list
// ending with nullptr. Its standard input is a pipe that PlatWriteChild feeds; its output and
// errors are this program's own. It runs apart from this program's terminal session, so an
// interrupt typed at the terminal reaches only this program, which then ends the child or
// lets it finish. Returns nullptr when it cannot be started, and the reason in *why when given.
struct PlatChild;
PlatChild* PlatStartChild(const char* const* argv, PlatResult* why = nullptr);
// Writes all the bytes to the child's input; false once the child has stopped reading (its
// end never ends this program).
bool PlatWriteChild(PlatChild* child, const void* data, int64_t bytes);
// Closes the child's input, waits for it to end and releases it. Returns its exit code, or
// -1 if it did not end by itself.
int  PlatFinishChild(PlatChild* child);
// Ends the child at once, waits for it and releases it.
void PlatKillChild(PlatChild* child);

// ---- Terminal ------------------------------------------------------------------------
bool PlatStderrIsTerminal();   // the error output is a terminal (progress can be drawn there)

// ---- Interrupts ----------------------------------------------------------------------
// From this call on, an interrupt (Ctrl-C or Ctrl-Break at the terminal, the terminal or
// console closing, a request to terminate) no longer ends the program at once: it only sets
// the request that PlatCancelRequested reports, so the work in hand can stop cleanly and
// leave no partial file. A second interrupt ends the program at once, as without the call.
// Interrupts the program was started to ignore stay ignored.
void PlatWatchCancel();
bool PlatCancelRequested();   // an interrupt came since PlatWatchCancel; any thread may ask
