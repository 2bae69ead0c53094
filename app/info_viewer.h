#pragma once

#include <QDialog>

// Info.txt shown read-only in a window of the program's own, for a desktop
// where no text editor could be started: the help is always one click away.
// Scrolls, closes with Escape or "Stäng", and deletes itself when closed.
class InfoViewer final : public QDialog {
    Q_OBJECT
public:
    InfoViewer(const QString& path, QWidget* parent);
};
