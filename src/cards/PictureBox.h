// A card picture that keeps what was drawn into it. The game draws into the stored image; the
// widget only shows it, so uncovering the window never has to ask the game what to draw.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class QPainter;

namespace korvane {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    QColor background() const { return background_; }
    // Like a classic picture box, changing the background erases the picture.
    void setBackground(const QColor& colour);

    // Fills the stored image with the background colour.
    void clearImage();
    // Runs draw with a painter on the stored image (logical coordinates of the widget, scaled
    // to its device pixel ratio) and schedules the widget to show the result.
    void paintImage(const std::function<void(QPainter&)>& draw);
    // The stored image, sized to the widget at its device pixel ratio.
    const QPixmap& image();

    // What a screen reader reads as the picture's value (what lies on the pile); its name is
    // the widget's accessible name.
    QString AccessibleValue() const { return accessibleValue_; }
    void SetAccessibleValue(const QString& value);
    // The keyboard's focus, which the table keeps on one picture while the widget with Qt's
    // focus is the table itself: a screen reader follows it from picture to picture.
    bool HasKeyFocus() const { return keyFocus_; }
    void SetKeyFocus(bool focused);

signals:
    // A left-button press and release inside the picture.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Brings the stored image to the widget's current size and scale, keeping what it holds.
    void SyncImage();

    QColor background_;
    QPixmap image_;
    QString accessibleValue_;
    bool keyFocus_ = false;
    bool pressed_ = false;
};

} // namespace korvane
