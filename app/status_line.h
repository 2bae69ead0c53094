#pragma once

#include <QLabel>

// A label that assistive technology knows as the window's status line, so a
// screen reader announces its text when it changes.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);
};
