#pragma once

// Qt ends a program whose display it cannot open with English lines and an
// abort. While a DisplayFailureInSwedish lives (around the construction of
// the QApplication), that ends instead in one Swedish line on stderr and exit
// status 1. What Qt says meanwhile is held back, and passed on by started()
// once the display is open.
class DisplayFailureInSwedish {
public:
    DisplayFailureInSwedish();
    ~DisplayFailureInSwedish();
    DisplayFailureInSwedish(const DisplayFailureInSwedish&) = delete;
    DisplayFailureInSwedish& operator=(const DisplayFailureInSwedish&) = delete;

    void started();
};
