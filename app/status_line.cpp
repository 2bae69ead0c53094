#include "app/status_line.h"

#include <QAccessibleWidget>

namespace {

class AccessibleStatusLine final : public QAccessibleWidget {
public:
    explicit AccessibleStatusLine(StatusLine* line) : QAccessibleWidget(line, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override {
        const auto* line = static_cast<const StatusLine*>(widget());
        if (kind == QAccessible::Name && line->accessibleName().isEmpty()) return line->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleStatusLine(const QString&, QObject* object) {
    auto* line = qobject_cast<StatusLine*>(object);
    return line != nullptr ? new AccessibleStatusLine(line) : nullptr;
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    static const bool installed = (QAccessible::installFactory(&accessibleStatusLine), true);
    Q_UNUSED(installed);
}
