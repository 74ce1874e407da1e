#include "components/desktop/ContrastStyle.h"

#include <QFrame>
#include <QPainter>
#include <QStyleOption>

namespace {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor outline(const QPalette &palette)
{
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return QColor((text.red() + window.red()) / 2, (text.green() + window.green()) / 2,
                  (text.blue() + window.blue()) / 2);
}

void drawOptionButton(const QStyleOption &option, QPainter &painter)
{
    const qreal side = qMin(option.rect.width(), option.rect.height()) - 2;
    const QRectF circle(QPointF(option.rect.center()) - QPointF(side / 2 - 0.5, side / 2 - 0.5), QSizeF(side, side));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline(option.palette), 1.5));
    painter.setBrush(option.palette.base());
    painter.drawEllipse(circle);
    if (option.state & QStyle::State_On) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(option.palette.text());
        painter.drawEllipse(circle.center(), side / 4, side / 4);
    }
    painter.restore();
}

}  // namespace

void ContrastStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    if (element == PE_IndicatorRadioButton && isDark(option->palette))
        drawOptionButton(*option, *painter);
    else
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void ContrastStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    if (element == CE_ShapedFrame && frame && frame->frameShape == QFrame::Box && isDark(option->palette)) {
        painter->save();
        painter->setPen(outline(option->palette));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
