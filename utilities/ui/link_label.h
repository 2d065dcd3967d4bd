#pragma once

#include <QLabel>

namespace vantor::utilities {

// A label that opens something when clicked: a picture, or blue underlined text, with the
// hand cursor.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);
    // Shows the text blue and underlined.
    void setLinkText(const QString& text);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace vantor::utilities
