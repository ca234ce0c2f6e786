#include "client/display/alert_page.h"

#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPalette>
#include <QTableView>

#include <array>
#include <cstddef>

#include "client/core/html_templates.h"
#include "client/display/alert_list_bridge.h"
#include "client/display/alert_table_model.h"
#include "ui/html/html_view.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::display {

namespace {

constexpr int kDesignWidth = 951;
constexpr int kDesignHeight = 502;
// The main window's design size, below which the page keeps its design sizes.
constexpr int kWindowDesignWidth = 951;
constexpr int kWindowDesignHeight = 612;

constexpr int kRowHeight = 18;
constexpr std::array<int, AlertTableModel::kColumnCount> kColumnWidths = {0,   145, 108, 108,
                                                                          111, 0,   0,   0};

// The detail panel's six field labels: component name, prefix, place.
struct FieldLabel {
    const char* name;
    const char* prefix;
    QRect place;
};

const std::array<FieldLabel, 6> kFieldLabels = {{
    {"发布时间_标签", "发布时间：", {5, 24, 430, 18}},
    {"股票代码_标签", "股票代码：", {5, 55, 430, 18}},
    {"股票名称_标签", "股票名称：", {5, 86, 430, 18}},
    {"操作方式_标签", "操作方式：", {5, 117, 430, 18}},
    {"买入价格_标签", "买入价格：", {5, 148, 430, 18}},
    {"卖出价格_标签", "卖出价格：", {5, 180, 430, 18}},
}};

QLabel* transparentLabel(QWidget* parent, const char* name, const char* text,
                         const QRect& geometry) {
    auto* label = place(new QLabel(QString::fromUtf8(text), parent), name, geometry);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setFont(songFont());
    return label;
}

// A report list: rows in the model's order, whole-row single selection, no
// editing, fixed row height (the views never measure a row), white.
QTableView* reportList(QWidget* parent, const char* name, const QRect& geometry,
                       AlertTableModel& model) {
    auto* list = place(new QTableView(parent), name, geometry);
    list->setModel(&model);
    list->setSortingEnabled(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setCornerButtonEnabled(false);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    list->setPalette(palette);

    QHeaderView* rows = list->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);

    QHeaderView* columns = list->horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setMinimumSectionSize(0);
    for (int column = 0; column < AlertTableModel::kColumnCount; ++column) {
        const int width = kColumnWidths[static_cast<std::size_t>(column)];
        // The id and the detail columns stay out of sight: zero wide, and the
        // member cannot drag them open.
        columns->setSectionResizeMode(column,
                                      width == 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
        columns->resizeSection(column, width);
    }
    return list;
}

}  // namespace

class AlertPage::Impl final {
public:
    Impl(AlertPage& page, core::AlertListModel& alerts);

    void showAlertDetail(QTableView& list, const AlertTableModel& model);
    void showLatestAlert();
    void fitToWindowSize(QSize windowSize);

    core::AlertListModel& m_alerts;
    // Children of the page made before the views, so that they go first.
    AlertTableModel* m_todayModel;
    AlertTableModel* m_historyModel;
    AlertListBridge m_bridge;

    QGroupBox* m_historyGroup = nullptr;
    QGroupBox* m_detailPanel = nullptr;
    QTableView* m_todayList = nullptr;
    QTableView* m_historyList = nullptr;
    std::array<QLabel*, 6> m_fields{};
    QLabel* m_remarkHeading = nullptr;
    HtmlView* m_remark = nullptr;
};

AlertPage::Impl::Impl(AlertPage& page, core::AlertListModel& alerts)
    : m_alerts(alerts),
      m_todayModel(new AlertTableModel(alerts.list(core::AlertListId::Today), &page)),
      m_historyModel(new AlertTableModel(alerts.list(core::AlertListId::History), &page)),
      m_bridge(*m_todayModel, *m_historyModel) {
    auto* todayGroup = place(new QGroupBox(QStringLiteral("今日强势股票跟踪"), &page),
                             "今日强势股票跟踪_分组", {1, 2, 503, 182});
    m_todayList = reportList(todayGroup, "TodayList", {5, 18, 491, 157}, *m_todayModel);

    m_historyGroup = place(new QGroupBox(QStringLiteral("历史数据跟踪"), &page),
                           "历史数据跟踪_分组", {1, 186, 503, 315});
    m_historyList = reportList(m_historyGroup, "HistoryList", {5, 18, 491, 292}, *m_historyModel);

    m_detailPanel =
        place(new QGroupBox(QStringLiteral("详细内容（选择左侧项目显示全部信息）"), &page),
              "详细内容_分组", {505, 2, 439, 499});
    for (std::size_t i = 0; i < kFieldLabels.size(); ++i) {
        const FieldLabel& field = kFieldLabels[i];
        m_fields[i] = transparentLabel(m_detailPanel, field.name, field.prefix, field.place);
    }
    m_remarkHeading = transparentLabel(m_detailPanel, "备注_标题", "↓备注↓", {1, 218, 432, 18});
    m_remark = place(new HtmlView(m_detailPanel), "备注_浏览器", {1, 248, 436, 246});

    connect(m_todayList->selectionModel(), &QItemSelectionModel::selectionChanged, &page,
            [this] { showAlertDetail(*m_todayList, *m_todayModel); });
    connect(m_historyList->selectionModel(), &QItemSelectionModel::selectionChanged, &page,
            [this] { showAlertDetail(*m_historyList, *m_historyModel); });
}

// ShowAlertDetail: the selected row's cells; nothing changes without one.
void AlertPage::Impl::showAlertDetail(QTableView& list, const AlertTableModel& model) {
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    const std::optional<core::AlertRow> row = model.alertRow(selected.front().row());
    if (!row) {
        return;
    }
    const std::array<std::string_view, 6> shown = {row->time,      row->code, row->name,
                                                   row->operation, row->buy,  row->sell};
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setText(QString::fromUtf8(kFieldLabels[i].prefix) + fromGbk(shown[i]));
    }
    RenderHtml(*m_remark, core::largePageTemplate(), std::string(row->remark));
}

void AlertPage::Impl::showLatestAlert() {
    if (m_todayModel->rowCount() == 0) {
        return;
    }
    QItemSelectionModel* selection = m_todayList->selectionModel();
    if (selection->isRowSelected(0, {})) {
        showAlertDetail(*m_todayList, *m_todayModel);  // no change to report it
    } else {
        m_todayList->selectRow(0);  // the selection change shows it
    }
    m_todayList->scrollToTop();
}

void AlertPage::Impl::fitToWindowSize(QSize windowSize) {
    const bool wider = windowSize.width() > kWindowDesignWidth;
    const bool taller = windowSize.height() > kWindowDesignHeight;
    const int w = windowSize.width();
    const int h = windowSize.height();

    m_historyGroup->resize(m_historyGroup->width(), taller ? h - 297 : 315);
    m_historyList->resize(m_historyList->width(), taller ? h - 320 : 292);
    m_detailPanel->resize(wider ? w - 512 : 439, taller ? h - 113 : 499);
    m_remark->resize(wider ? w - 515 : 436, taller ? h - 366 : 246);
    m_remarkHeading->resize(wider ? w - 519 : 432, m_remarkHeading->height());
}

AlertPage::AlertPage(core::AlertListModel& alerts, QWidget* parent)
    : QWidget(parent), m_impl(std::make_unique<Impl>(*this, alerts)) {
    setObjectName(QStringLiteral("AlertPage"));
    resize(kDesignWidth, kDesignHeight);
    alerts.setObserver(&m_impl->m_bridge);
}

AlertPage::~AlertPage() {
    m_impl->m_alerts.setObserver(nullptr);
}

void AlertPage::fitToWindowSize(QSize windowSize) {
    m_impl->fitToWindowSize(windowSize);
}

void AlertPage::showLatestAlert() {
    m_impl->showLatestAlert();
}

QTableView& AlertPage::todayList() {
    return *m_impl->m_todayList;
}

QTableView& AlertPage::historyList() {
    return *m_impl->m_historyList;
}

HtmlView& AlertPage::remarkBrowser() {
    return *m_impl->m_remark;
}

}  // namespace lanzhou::display
