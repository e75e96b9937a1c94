// The main window's care for its own memory: the heap is given back to the system once a burst of page
// building is over.

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/main_window.h"

namespace halvern::app {
namespace {

// Building a page parses its layouts and polishes its widgets: the parse trees and other temporaries are
// freed, but the pages they took inside the heap stay with the process (some megabytes after start-up).
void releaseFreeHeap() {
#if defined(__GLIBC__)
    (void)malloc_trim(0);  // 1 when memory was released, 0 when there was none: either is fine
#endif
}

}  // namespace

void MainWindow::scheduleHeapTrim() {
    if (!m_heapTrim) {
        m_heapTrim = new QTimer(this);  // owned by the window
        m_heapTrim->setSingleShot(true);
        connect(m_heapTrim, &QTimer::timeout, this, [] { releaseFreeHeap(); });
    }
    // Pages come in bursts (start-up, a device plugged in): once, after the last of them.
    m_heapTrim->start(kHeapTrimDelayMs);
}

}  // namespace halvern::app
