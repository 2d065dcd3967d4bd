#pragma once

#include <QLabel>

namespace vantor::recorder {

// One line of text that is cut in the middle when it does not fit ("/home/.../Rogue Spear"),
// with the whole text as its tooltip. It takes the width its layout gives it.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString full_;
};

} // namespace vantor::recorder
