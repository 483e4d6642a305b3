#pragma once
// Draws the chart workbook's chart in a QChartView: one clustered column
// series whose categories and values are the cells of the chart's source
// range. Cell changes only mark the drawing dirty; the redraw follows at the
// screen's refresh rate, so a run that writes after every item pays for a
// repaint only a few dozen times a second.

#include "platform/chart/ChartWorkbook.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QTimer>

class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QFont;
class QGraphicsSimpleTextItem;
class QValueAxis;

namespace brisk {

class LiveChartView : public QObject {
    Q_OBJECT

public:
    LiveChartView(QChartView& view, chart::Chart& source, QObject* parent = nullptr);
    ~LiveChartView() override;
    LiveChartView(const LiveChartView&) = delete;
    LiveChartView& operator=(const LiveChartView&) = delete;

    // Brings the drawing up to date with the cells at once.
    void redrawNow();
    bool redrawPending() const { return m_timer.isActive(); }
    int redrawCount() const { return m_redrawCount; }

    // "JAN: 12.5%": a bar's category and value, shown while the mouse is on it.
    QString barToolTip(int index) const;
    // Category labels lie flat where the widest fits its column, else they
    // stand upright (24 hours in a narrow chart).
    void fitCategoryLabels();
    // Where the category labels are drawn, in the chart's coordinates.
    QList<QRectF> categoryLabelRects() const;

    QBarSet* barSet() const { return m_set; }
    QBarCategoryAxis* categoryAxis() const { return m_categories; }
    QValueAxis* valueAxis() const { return m_values; }

private:
    void scheduleRedraw();
    void updateCategories(const std::vector<std::string>& categories);
    void updateValues(const std::vector<double>& values);

    void showBarToolTip(bool hovering, int index);
    void placeLabel(QGraphicsSimpleTextItem& item, const QString& text, const QFont& font, int index, bool upright);

    QChartView& m_view;
    chart::Chart& m_source;
    QChart* m_chart;
    QBarSeries* m_series;
    QBarSet* m_set;
    QBarCategoryAxis* m_categories;
    QValueAxis* m_values;
    QList<QGraphicsSimpleTextItem*> m_labels; // owned by the chart
    QTimer m_timer;
    int m_redrawCount = 0;
};

} // namespace brisk
