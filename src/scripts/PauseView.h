#pragma once
// The pause window as the PAUSE directive uses it.
class PauseView {
public:
    virtual ~PauseView() = default;
    virtual void showPause() = 0;  // not modal
    virtual void setCount(int seconds) = 0;
    virtual void hidePause() = 0;
};
