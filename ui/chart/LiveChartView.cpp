#include "ui/chart/LiveChartView.h"

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <QCursor>
#include <QGraphicsSimpleTextItem>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace brisk {

namespace {

// Pixels between the columns' foot and their labels, and below the labels.
constexpr int kLabelGap = 4;

} // namespace

LiveChartView::LiveChartView(QChartView& view, const chart::ChartModel& model, QObject* parent)
    : QObject(parent), m_view(view), m_model(model), m_chart(new QChart), m_series(new QBarSeries),
      m_set(new QBarSet(QString())), m_categories(new QBarCategoryAxis), m_values(new QValueAxis)
{
    setUpChart();
    view.setChart(m_chart);
    view.setRenderHint(QPainter::Antialiasing);
    connect(m_set, &QBarSet::hovered, this, &LiveChartView::showBarToolTip);
    connect(m_chart, &QChart::plotAreaChanged, this, &LiveChartView::fitCategoryLabels);
    redraw();
}

// One clustered column series, no legend, no title, a value axis with
// whole-number labels and major gridlines.
void LiveChartView::setUpChart()
{
    m_chart->legend()->hide();
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setBackgroundRoundness(0);
    // The title label of the window lies over the chart's top edge.
    m_chart->setMargins(QMargins(2, 22, 6, 2));
    m_set->setColor(QColor(128, 128, 255));
    m_series->append(m_set);
    m_chart->addSeries(m_series);
    m_chart->addAxis(m_categories, Qt::AlignBottom);
    m_chart->addAxis(m_values, Qt::AlignLeft);
    m_series->attachAxis(m_categories);
    m_series->attachAxis(m_values);
    m_values->setLabelFormat("%d");
    m_values->setGridLineVisible(true);
    m_values->setMinorGridLineVisible(false);
    m_values->setTickType(QValueAxis::TicksDynamic);
    m_values->setTickAnchor(0);
    m_categories->setLabelsVisible(false);
}

void LiveChartView::redraw()
{
    if (m_drawn == m_model.revision())
        return;
    m_drawn = m_model.revision();
    updateValues(m_model.shownValues());
    updateCategories(m_model.shownCategories());
}

void LiveChartView::updateCategories(const std::vector<std::string>& categories)
{
    QStringList texts;
    for (const auto& category : categories)
        texts.append(QString::fromStdString(category));
    if (texts == m_categories->categories())
        return;
    m_categories->setCategories(texts);
    fitCategoryLabels();
}

// Qt Charts cuts a category label that is wider than its column down to "…",
// turned or not, so the labels are drawn here: flat where the widest fits its
// column, else upright, below the columns, in the room the bottom margin keeps.
void LiveChartView::fitCategoryLabels()
{
    const QStringList labels = m_categories->categories();
    const QFont font = m_view.font();
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const double column = labels.isEmpty() ? 0 : m_chart->plotArea().width() / labels.size();
    const bool upright = widest + kLabelGap > column;
    const int room = (upright ? widest : metrics.height()) + kLabelGap;
    if (m_chart->margins().bottom() != room)
        m_chart->setMargins(QMargins(2, 22, 6, room)); // lays out again, then calls back
    while (m_labels.size() > labels.size())
        delete m_labels.takeLast();
    while (m_labels.size() < labels.size())
        m_labels.append(new QGraphicsSimpleTextItem(m_chart));
    for (int i = 0; i < labels.size(); ++i)
        placeLabel(*m_labels[i], labels[i], font, i, upright);
}

void LiveChartView::placeLabel(QGraphicsSimpleTextItem& item, const QString& text, const QFont& font, int index,
                               bool upright)
{
    item.setText(text);
    item.setFont(font);
    item.setRotation(upright ? -90 : 0);
    const QSizeF size = item.boundingRect().size();
    const double centre = m_chart->mapToPosition(QPointF(index, 0), m_series).x();
    const double top = m_chart->plotArea().bottom() + kLabelGap / 2.0;
    // Turned by -90 degrees, the text runs upwards from its position.
    item.setPos(upright ? QPointF(centre - size.height() / 2, top + size.width())
                        : QPointF(centre - size.width() / 2, top));
}

QList<QRectF> LiveChartView::categoryLabelRects() const
{
    QList<QRectF> rects;
    for (const QGraphicsSimpleTextItem* item : m_labels)
        rects.append(item->mapRectToParent(item->boundingRect()));
    return rects;
}

void LiveChartView::showBarToolTip(bool hovering, int index)
{
    if (hovering)
        QToolTip::showText(QCursor::pos(), QString::fromStdString(m_model.barToolTip(index)), &m_view);
    else
        QToolTip::hideText();
}

// The bar set is kept and changed in place: replacing only the values that
// moved repaints only what changed.
void LiveChartView::updateValues(const std::vector<double>& values)
{
    const int count = static_cast<int>(values.size());
    if (m_set->count() > count)
        m_set->remove(count, m_set->count() - count);
    while (m_set->count() < count)
        m_set->append(0.0);
    for (int i = 0; i < count; ++i) {
        const double value = values[static_cast<std::size_t>(i)];
        if (m_set->at(i) != value)
            m_set->replace(i, value);
    }
    const chart::AxisScale scale = chart::wholeNumberAxis(values);
    if (m_values->max() != scale.maximum || m_values->min() != 0)
        m_values->setRange(0, scale.maximum);
    if (m_values->tickInterval() != scale.tickInterval)
        m_values->setTickInterval(scale.tickInterval);
}

} // namespace brisk
