#pragma once
// Draws the chart model in a QChartView: one column series with the shown
// mode's values, the category labels drawn by hand so that none is cut, and a
// bar's value on hover. The window redraws it with the panel, at the screen's
// rate, and only when the model changed.

#include "ui/chart/ChartModel.h"

#include <QList>
#include <QObject>
#include <QRectF>

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
    LiveChartView(QChartView& view, const chart::ChartModel& model, QObject* parent = nullptr);

    // Brings the drawing up to date with the model when it changed.
    void redraw();

    // Category labels lie flat where the widest fits its column, else they
    // stand upright (24 hours in a narrow chart).
    void fitCategoryLabels();
    // Where the category labels are drawn, in the chart's coordinates.
    QList<QRectF> categoryLabelRects() const;

    QBarSet* barSet() const { return m_set; }
    QBarCategoryAxis* categoryAxis() const { return m_categories; }

private:
    void setUpChart();
    void updateCategories(const std::vector<std::string>& categories);
    void updateValues(const std::vector<double>& values);
    void showBarToolTip(bool hovering, int index);
    void placeLabel(QGraphicsSimpleTextItem& item, const QString& text, const QFont& font, int index, bool upright);

    QChartView& m_view;
    const chart::ChartModel& m_model;
    std::uint64_t m_drawn = ~std::uint64_t{0};
    QChart* m_chart;
    QBarSeries* m_series;
    QBarSet* m_set;
    QBarCategoryAxis* m_categories;
    QValueAxis* m_values;
    QList<QGraphicsSimpleTextItem*> m_labels; // owned by the chart
};

} // namespace brisk
