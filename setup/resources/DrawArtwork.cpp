// Draws the setup program's icon and the two pictures at the top of its
// window into PNG files, and the icon in the other sizes a desktop shows
// (icons/PrjTK28950-<size>.png): DrawArtwork FOLDER. Run it on the offscreen
// platform and commit the files it writes.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kAmber(255, 176, 0);

QImage blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A dial with a needle tilted by 20 degrees over a level line: the symbol of
// an inclinometer, drawn into the square rect.
void drawDial(QPainter& painter, const QRectF& rect)
{
    const qreal unit = rect.width() / 16.0;
    const QPointF centre = rect.center();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kNavy, unit));
    painter.setBrush(Qt::white);
    painter.drawEllipse(rect.adjusted(unit, unit, -unit, -unit));
    painter.setPen(QPen(kTeal, unit * 0.6, Qt::DashLine));
    painter.drawLine(QPointF(rect.left() + 2 * unit, centre.y()),
                     QPointF(rect.right() - 2 * unit, centre.y()));
    const qreal radius = rect.width() / 2 - 2.5 * unit;
    const qreal angle = qDegreesToRadians(20.0);
    const QPointF tip(qCos(angle) * radius, -qSin(angle) * radius);
    painter.setPen(QPen(kAmber, unit * 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre - tip, centre + tip);
    painter.setPen(QPen(kNavy, unit * 0.6));
    painter.setBrush(Qt::NoBrush);
    const QRectF arc(centre.x() - radius * 0.8, centre.y() - radius * 0.8, radius * 1.6,
                     radius * 1.6);
    painter.drawArc(arc, 0, 20 * 16);
    painter.setBrush(kNavy);
    painter.drawEllipse(centre, unit, unit);
}

// The window's own icon is 128 pixels; a desktop also picks these sizes.
constexpr int kIconSize = 128;
constexpr int kDesktopIconSizes[] = {16, 22, 24, 32, 48, 64, 256};

QImage icon(int size)
{
    QImage image = blank(size, size);
    QPainter painter(&image);
    drawDial(painter, QRectF(0, 0, size, size));
    return image;
}

bool saveDesktopIcons(const QDir& folder)
{
    if (!folder.mkpath(QStringLiteral("icons")))
        return false;
    for (const int size : kDesktopIconSizes)
        if (!icon(size).save(folder.filePath(QStringLiteral("icons/PrjTK28950-%1.png").arg(size))))
            return false;
    return true;
}

QImage symbol()
{
    QImage image = blank(72, 36);
    QPainter painter(&image);
    drawDial(painter, QRectF(2, 0, 36, 36));
    painter.setPen(kNavy);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(40, 0, 32, 36), Qt::AlignCenter, QStringLiteral("TK"));
    return image;
}

QImage banner()
{
    QImage image = blank(288, 36);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 288, 0);
    fill.setColorAt(0, kNavy);
    fill.setColorAt(1, kTeal);
    QPainterPath band;
    band.addRoundedRect(QRectF(1, 3, 286, 30), 6, 6);
    painter.fillPath(band, fill);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(10, 3, 270, 30), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("TK28950 Inclinometer Setup"));
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: DrawArtwork FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool written = icon(kIconSize).save(folder.filePath(QStringLiteral("icon.png"))) &&
                         saveDesktopIcons(folder) &&
                         symbol().save(folder.filePath(QStringLiteral("symbol0.png"))) &&
                         banner().save(folder.filePath(QStringLiteral("symbol1.png")));
    if (!written) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
