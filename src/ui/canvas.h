#pragma once
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <vector>

namespace tieba {

// A surface the program draws on: texts and pictures painted onto a picture the widget keeps,
// so what was drawn stays until it is cleared. The title strips, the banner "画板1" (which the
// notice reader draws on) and the progress bar "进度条" are canvases. GUI thread only.
// Texts are put on the picture when it is next needed (a paint, image(), a picture drawn over
// them) rather than at once: a window can write its captions before any font is loaded.
class Canvas : public QWidget {
    Q_OBJECT
public:
    explicit Canvas(QWidget* parent = nullptr);

    // Sets the colour that clear() paints, and clears.
    void setBackground(const QColor& colour);
    QColor background() const { return background_; }
    void clear();

    // Writes `text` with its top left corner at x, y; `size` is a font size in points.
    void drawText(int x, int y, const QString& text, int size, bool bold, const QColor& colour);
    // Draws `picture` at x, y in its own size, or stretched to width x height.
    void drawPicture(int x, int y, const QImage& picture);
    void drawPicture(int x, int y, int width, int height, const QImage& picture);

    // What the canvas shows now.
    const QImage& image() const;

signals:
    // A left-button press on the canvas, at `position` in its own coordinates.
    void leftPressed(QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A text not yet on the picture, with the size the canvas had when it was written; a step
    // without text stands for a resize that came after a waiting text.
    struct WaitingStep {
        QSize canvasSize;
        QPoint at;
        QString text;
        int pixelSize = 0;
        bool bold = false;
        QColor colour;
    };

    QSize wantedSize() const;
    // Brings the picture to `size`, keeping what was drawn. A hidden widget gets its resize
    // event only when shown, so every drawing call checks first.
    void fitImage(QSize size) const;
    void fitImage() const { fitImage(wantedSize()); }
    // Puts the waiting texts on the picture, in the order and at the sizes they were written.
    void drawWaiting() const;

    QColor background_;
    mutable QImage image_;
    mutable std::vector<WaitingStep> waiting_;
};

// The title strip "皮肤" at the top of every window: a canvas whose left-button press drags
// the window. The window manager moves it when there is one; otherwise (a bare X server, the
// offscreen platform) the strip follows the mouse itself until the button is released.
class TitleStrip : public Canvas {
    Q_OBJECT
public:
    explicit TitleStrip(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
    QPoint grabOffset_; // from the window's top left corner to the mouse, in screen pixels
};

} // namespace tieba
