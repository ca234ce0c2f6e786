#include "client/display/alert_page.h"

#include <QFileDialog>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

#include "client/core/alert_export.h"
#include "client/core/alert_filter.h"
#include "client/core/html_templates.h"
#include "client/display/alert_list_bridge.h"
#include "client/display/alert_table_model.h"
#include "ui/html/html_view.h"
#include "ui/prompt/prompt_presenter.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/row_list_keys.h"

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
QTableView* reportList(QWidget* parent, const char* name, const char* accessibleName,
                       const QRect& geometry, AlertTableModel& model) {
    auto* list = place(new QTableView(parent), name, geometry);
    list->setAccessibleName(QString::fromUtf8(accessibleName));
    // Home and End go to the first and last row, not along the row.
    new RowListKeys(list);
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

QString chooseExportFile(QWidget& parent) {
    return QFileDialog::getSaveFileName(&parent, QStringLiteral("导出"), QStringLiteral("预警.csv"),
                                        QStringLiteral("CSV 文件 (*.csv)"));
}

// The row of `list` that is selected; -1 when none.
int selectedRow(const QTableView& list) {
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace

class AlertPage::Impl final {
public:
    Impl(AlertPage& page, core::AlertListModel& alerts, PromptPresenter& prompts);

    // One list with its model and the id of its selected row while a search
    // hides that row (empty: none).
    struct ListView {
        QTableView* view = nullptr;
        AlertTableModel* model = nullptr;
        core::AlertListId id = core::AlertListId::Today;
        std::string hiddenSelection;
    };

    void makeSearchRow(AlertPage& page);
    void selectionChanged(ListView& list);
    void showAlertDetail(QTableView& list, const AlertTableModel& model);
    void showLatestAlert();
    void fitToWindowSize(QSize windowSize);
    void search(const QString& text);
    void filterKeepingSelection(ListView& list, const core::AlertFilter& filter);
    void exportClicked(AlertPage& page);
    std::optional<int> exportTo(const QString& path);

    core::AlertListModel& m_alerts;
    PromptPresenter& m_prompts;
    ExportFileChooser m_chooseFile = chooseExportFile;
    // Children of the page made before the views, so that they go first.
    AlertTableModel* m_todayModel;
    AlertTableModel* m_historyModel;
    AlertListBridge m_bridge;
    bool m_keepingSelection = false;  // a search selects the same row again

    QLineEdit* m_searchBox = nullptr;
    QToolButton* m_clearButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    ListView m_today;
    ListView m_history;
    QGroupBox* m_historyGroup = nullptr;
    QGroupBox* m_detailPanel = nullptr;
    QTableView* m_todayList = nullptr;
    QTableView* m_historyList = nullptr;
    std::array<QLabel*, 6> m_fields{};
    QLabel* m_remarkHeading = nullptr;
    HtmlView* m_remark = nullptr;
};

AlertPage::Impl::Impl(AlertPage& page, core::AlertListModel& alerts, PromptPresenter& prompts)
    : m_alerts(alerts),
      m_prompts(prompts),
      m_todayModel(new AlertTableModel(alerts.list(core::AlertListId::Today), &page)),
      m_historyModel(new AlertTableModel(alerts.list(core::AlertListId::History), &page)),
      m_bridge(*m_todayModel, *m_historyModel) {
    makeSearchRow(page);
    auto* todayGroup = place(new QGroupBox(QStringLiteral("今日强势股票跟踪"), &page),
                             "今日强势股票跟踪_分组", {1, 28, 503, 156});
    m_todayList =
        reportList(todayGroup, "TodayList", "今日强势股票跟踪", {5, 18, 491, 131}, *m_todayModel);

    m_historyGroup = place(new QGroupBox(QStringLiteral("历史数据跟踪"), &page),
                           "历史数据跟踪_分组", {1, 186, 503, 315});
    m_historyList = reportList(m_historyGroup, "HistoryList", "历史数据跟踪", {5, 18, 491, 292},
                               *m_historyModel);

    m_detailPanel =
        place(new QGroupBox(QStringLiteral("详细内容（选择左侧项目显示全部信息）"), &page),
              "详细内容_分组", {505, 2, 439, 499});
    for (std::size_t i = 0; i < kFieldLabels.size(); ++i) {
        const FieldLabel& field = kFieldLabels[i];
        m_fields[i] = transparentLabel(m_detailPanel, field.name, field.prefix, field.place);
    }
    m_remarkHeading = transparentLabel(m_detailPanel, "备注_标题", "↓备注↓", {1, 218, 432, 18});
    m_remark = place(new HtmlView(m_detailPanel), "备注_浏览器", {1, 248, 436, 246});

    m_today = {m_todayList, m_todayModel, core::AlertListId::Today, {}};
    m_history = {m_historyList, m_historyModel, core::AlertListId::History, {}};
    connect(m_todayList->selectionModel(), &QItemSelectionModel::selectionChanged, &page,
            [this] { selectionChanged(m_today); });
    connect(m_historyList->selectionModel(), &QItemSelectionModel::selectionChanged, &page,
            [this] { selectionChanged(m_history); });

    QWidget::setTabOrder(m_searchBox, m_clearButton);
    QWidget::setTabOrder(m_clearButton, m_exportButton);
    QWidget::setTabOrder(m_exportButton, m_todayList);
    QWidget::setTabOrder(m_todayList, m_historyList);
}

// The search box, its clear button and "导出", above TodayList.
void AlertPage::Impl::makeSearchRow(AlertPage& page) {
    m_searchBox = place(new QLineEdit(&page), "搜索_输入框", {1, 3, 398, 22});
    m_searchBox->setFont(songFont());
    m_searchBox->setPlaceholderText(QStringLiteral("搜索代码、名称、操作方式或备注"));
    m_searchBox->setAccessibleName(QStringLiteral("搜索"));
    m_searchBox->installEventFilter(&page);

    m_clearButton = place(new QToolButton(&page), "搜索_清除", {401, 3, 22, 22});
    m_clearButton->setText(QStringLiteral("×"));
    m_clearButton->setToolTip(QStringLiteral("清除搜索"));
    m_clearButton->setAccessibleName(QStringLiteral("清除搜索"));
    m_clearButton->setFocusPolicy(Qt::StrongFocus);

    m_exportButton =
        place(new QPushButton(QStringLiteral("导出"), &page), "导出_按钮", {427, 3, 77, 22});
    m_exportButton->setFont(songFont());
    m_exportButton->setAccessibleName(QStringLiteral("导出"));

    connect(m_searchBox, &QLineEdit::textChanged, &page,
            [this](const QString& text) { search(text); });
    connect(m_clearButton, &QToolButton::clicked, m_searchBox, &QLineEdit::clear);
    connect(m_exportButton, &QPushButton::clicked, &page, [this, &page] { exportClicked(page); });
}

void AlertPage::Impl::selectionChanged(ListView& list) {
    if (m_keepingSelection) {
        return;  // the detail panel shows that row already
    }
    if (selectedRow(*list.view) >= 0) {
        list.hiddenSelection.clear();  // the member chose another row
    }
    showAlertDetail(*list.view, *list.model);
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
    if (m_alerts.list(core::AlertListId::Today).rowCount() == 0) {
        return;
    }
    if (m_todayModel->rowOfSource(0) != 0) {
        m_searchBox->clear();  // the search hides the latest alert
    }
    QItemSelectionModel* selection = m_todayList->selectionModel();
    if (selection->isRowSelected(0, {})) {
        showAlertDetail(*m_todayList, *m_todayModel);  // no change to report it
    } else {
        m_todayList->selectRow(0);  // the selection change shows it
    }
    m_todayList->scrollToTop();
}

void AlertPage::Impl::search(const QString& text) {
    const auto filter = core::AlertFilter::fromUtf8(text.toUtf8().toStdString());
    filterKeepingSelection(m_today, filter);
    filterKeepingSelection(m_history, filter);
}

// Filters the list; the row selected before is selected again when the
// filter shows it, and otherwise held until a later search shows it.
void AlertPage::Impl::filterKeepingSelection(ListView& list, const core::AlertFilter& filter) {
    if (filter == list.model->filter()) {
        return;
    }
    const core::AlertList& rows = m_alerts.list(list.id);
    const int shownBefore = list.model->sourceRow(selectedRow(*list.view));
    if (shownBefore >= 0) {
        list.hiddenSelection = std::string(rows.row(shownBefore).id);
    }
    list.model->setFilter(filter);  // a reset: the selection is gone
    if (list.hiddenSelection.empty()) {
        return;
    }
    const int row = list.model->rowOfSource(shownBefore >= 0 ? shownBefore
                                                             : rows.findRow(list.hiddenSelection));
    if (row < 0) {
        return;
    }
    list.hiddenSelection.clear();
    m_keepingSelection = shownBefore >= 0;
    list.view->selectRow(row);
    m_keepingSelection = false;
}

void AlertPage::Impl::exportClicked(AlertPage& page) {
    const QString path = m_chooseFile(page);
    if (!path.isEmpty()) {
        exportTo(path);
    }
}

std::optional<int> AlertPage::Impl::exportTo(const QString& path) {
    const Result<int> written =
        core::exportAlerts(m_alerts, core::ExportedLists::Both, m_todayModel->filter(),
                           std::filesystem::path(path.toStdU16String()));
    if (!written) {
        m_prompts.showPrompt(written.error());
        return std::nullopt;
    }
    return *written;
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

AlertPage::AlertPage(core::AlertListModel& alerts, PromptPresenter& prompts, QWidget* parent)
    : QWidget(parent), m_impl(std::make_unique<Impl>(*this, alerts, prompts)) {
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

void AlertPage::setSearchText(const QString& text) {
    m_impl->m_searchBox->setText(text);
}

QString AlertPage::searchText() const {
    return m_impl->m_searchBox->text();
}

void AlertPage::setExportFileChooser(ExportFileChooser chooser) {
    m_impl->m_chooseFile = chooser ? std::move(chooser) : chooseExportFile;
}

std::optional<int> AlertPage::exportTo(const QString& path) {
    return m_impl->exportTo(path);
}

bool AlertPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_impl->m_searchBox && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !m_impl->m_searchBox->text().isEmpty()) {
        m_impl->m_searchBox->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
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

QLineEdit& AlertPage::searchBox() {
    return *m_impl->m_searchBox;
}

QToolButton& AlertPage::clearSearchButton() {
    return *m_impl->m_clearButton;
}

QPushButton& AlertPage::exportButton() {
    return *m_impl->m_exportButton;
}

}  // namespace lanzhou::display
