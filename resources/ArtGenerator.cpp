// Draws the application icon and the small logo of the control panel as PNG files, at build
// time, so that the pictures live as readable code rather than as binary blobs. The icon is
// drawn twice: 64 pixels for the window, 256 for the desktop's menu once installed.
// Usage: voltaris_art_generator OUTPUT_FOLDER
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

constexpr QRgb kNavy = 0xFF1F3A68;
constexpr QRgb kAmber = 0xFFFFC800;  // the colour of the start-up box

// A lightning bolt filling the unit square, scaled by the caller's transform.
QPainterPath boltPath() {
    QPainterPath bolt;
    bolt.moveTo(0.58, 0.02);
    bolt.lineTo(0.18, 0.56);
    bolt.lineTo(0.46, 0.56);
    bolt.lineTo(0.36, 0.98);
    bolt.lineTo(0.82, 0.40);
    bolt.lineTo(0.54, 0.40);
    bolt.closeSubpath();
    return bolt;
}

// One mains period of a sine across `width` pixels, centred on `midY`.
QPainterPath sinePath(double x0, double width, double midY, double amplitude) {
    QPainterPath sine;
    constexpr int kSteps = 48;
    for (int k = 0; k <= kSteps; ++k) {
        const double t = static_cast<double>(k) / kSteps;
        const QPointF p(x0 + t * width, midY - amplitude * std::sin(2 * M_PI * t));
        if (k == 0) {
            sine.moveTo(p);
        } else {
            sine.lineTo(p);
        }
    }
    return sine;
}

QImage drawIcon(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    QLinearGradient fill(0, 0, 0, s);
    fill.setColorAt(0, QColor(0x2E, 0x55, 0x96));
    fill.setColorAt(1, QColor(kNavy));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x9F, 0xE8, 0x9F), s / 16.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(sinePath(s * 0.1, s * 0.8, s * 0.5, s * 0.28));

    p.save();
    p.translate(s * 0.22, s * 0.12);
    p.scale(s * 0.6, s * 0.76);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kAmber));
    p.drawPath(boltPath());
    p.restore();
    return image;
}

QImage drawLogo(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kNavy));
    p.drawRoundedRect(QRectF(0, 0, width, height), 4, 4);

    p.save();
    p.translate(4, 3);
    p.scale(height * 0.55, height - 6);
    p.setBrush(QColor(kAmber));
    p.drawPath(boltPath());
    p.restore();

    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(height * 2 / 5);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    p.setFont(font);
    p.setPen(Qt::white);
    const QRectF textArea(height * 0.6, 0, width - height * 0.6 - 3, height * 0.62);
    p.drawText(textArea, Qt::AlignCenter, "VOLTARIS");

    p.setPen(QPen(QColor(0x9F, 0xE8, 0x9F), 1.5));
    p.drawPath(sinePath(height * 0.7, width - height * 0.7 - 8, height * 0.78, height * 0.1));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const bool written = drawIcon(64).save(folder.filePath("voltaris_icon.png"), "PNG") &&
                         drawIcon(256).save(folder.filePath("voltaris_icon_256.png"), "PNG") &&
                         drawLogo(120, 36).save(folder.filePath("voltaris_logo.png"), "PNG");
    if (!written) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
