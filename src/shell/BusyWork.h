#pragma once
// Work that holds the user interface thread (a save, a command on a large picture):
// a dialog closed just before it leaves the screen first, the windows under it
// painted again, so nothing stays frozen there; the wait cursor shows while the
// work runs and the progress bar is empty again afterwards.
namespace quillory {

class BusyWork {
public:
    BusyWork();
    ~BusyWork();
    BusyWork(const BusyWork&) = delete;
    BusyWork& operator=(const BusyWork&) = delete;
};

// Notes every dialog that closes, so that the next BusyWork repaints what it covered.
void WatchClosingDialogs();

}  // namespace quillory
