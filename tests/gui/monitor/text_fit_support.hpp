// Whether every text of a window shows whole: each label, button, box, tab, header section and
// cell in view measured with the font it is drawn in against the rectangle it gets, and the
// texts a chart draws (axis labels and titles, legend entries) free of the marks of a cut.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTabBar>
#include <QTableView>
#include <QTreeView>
#include <QWidget>
#include <string>
#include <vector>

namespace climate::testing {

inline std::string Named(const QObject* object, const QString& text) {
  const QString name = object->objectName().isEmpty()
                           ? QString::fromLatin1(object->metaObject()->className())
                           : object->objectName();
  return name.toStdString() + " \"" + text.toStdString() + "\"";
}

// The width a line of text takes in a font: its advance, or the ink where that reaches further.
inline int TextWidth(const QFontMetrics& metrics, const QString& text) {
  return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
}

inline void CheckLabel(const QLabel& label, std::vector<std::string>& cut) {
  if (label.text().isEmpty() || label.textFormat() == Qt::RichText) return;
  const QFontMetrics metrics(label.font());
  const QRect room = label.contentsRect().marginsRemoved(
      QMargins(label.margin(), label.margin(), label.margin(), label.margin()));
  if (label.wordWrap()) {
    // Wrapped: no word wider than the label, and every line within its height.
    for (const QString& word : label.text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
      if (TextWidth(metrics, word) > room.width()) {
        cut.push_back(Named(&label, word) + " wider than " + std::to_string(room.width()));
      }
    }
    if (label.heightForWidth(label.width()) > label.height()) {
      cut.push_back(Named(&label, label.text()) + " needs " +
                    std::to_string(label.heightForWidth(label.width())) + " px height, has " +
                    std::to_string(label.height()));
    }
    return;
  }
  int widest = 0;
  for (const QString& line : label.text().split('\n')) {
    widest = std::max(widest, TextWidth(metrics, QString(line).remove('&')));
  }
  if (widest > room.width() || label.sizeHint().height() > label.height()) {
    cut.push_back(Named(&label, label.text()) + " needs " + std::to_string(widest) + " px, has " +
                  std::to_string(room.width()) + "x" + std::to_string(room.height()));
  }
}

// A button, check box, box or tab bar shows its text whole at the size it asks for.
inline void CheckSizeHint(const QWidget& widget, const QString& text,
                          std::vector<std::string>& cut) {
  const QSize hint = widget.sizeHint();
  if (hint.width() > widget.width() || hint.height() > widget.height()) {
    cut.push_back(Named(&widget, text) + " needs " + std::to_string(hint.width()) + "x" +
                  std::to_string(hint.height()) + ", has " + std::to_string(widget.width()) + "x" +
                  std::to_string(widget.height()));
  }
}

// Every section of a header holds its title in the font the header draws it in when its column
// is selected (bold), beside the sort mark where the view sorts.
inline void CheckHeader(const QHeaderView& header, bool sorts, std::vector<std::string>& cut) {
  QFont bold = header.font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  const QAbstractItemModel* model = header.model();
  if (model == nullptr) return;
  for (int section = 0; section < header.count(); ++section) {
    if (header.isSectionHidden(section)) continue;
    const QString text = model->headerData(section, header.orientation()).toString();
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.state |= QStyle::State_Horizontal;
    option.orientation = header.orientation();
    option.rect = QRect(0, 0, header.sectionSize(section), header.height());
    option.text = text;
    option.section = section;
    option.sortIndicator = sorts ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
    const QRect room = header.style()->subElementRect(QStyle::SE_HeaderLabel, &option, &header);
    if (TextWidth(metrics, text) > room.width()) {
      cut.push_back(Named(&header, text) + " needs " + std::to_string(TextWidth(metrics, text)) +
                    " px, has " + std::to_string(room.width()));
    }
  }
}

// The cells in view hold their text in the font the model gives them.
inline void CheckCells(const QAbstractItemView& view, std::vector<std::string>& cut) {
  const QAbstractItemModel* model = view.model();
  if (model == nullptr) return;
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  const auto check = [&](const QModelIndex& index) {
    const QString text = index.data().toString();
    if (text.isEmpty()) return;
    const QRect rect = view.visualRect(index);
    if (!rect.intersects(view.viewport()->rect())) return;
    const QVariant font = index.data(Qt::FontRole);
    const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : view.font());
    if (TextWidth(metrics, text) + 2 * margin > rect.width()) {
      cut.push_back(Named(&view, text) + " needs " +
                    std::to_string(TextWidth(metrics, text) + 2 * margin) + " px, has " +
                    std::to_string(rect.width()));
    }
  };
  for (int row = 0; row < model->rowCount(); ++row) {
    for (int column = 0; column < model->columnCount(); ++column) {
      const QModelIndex index = model->index(row, column);
      check(index);
      for (int child = 0; child < model->rowCount(index); ++child) {
        for (int c = 0; c < model->columnCount(index); ++c) check(model->index(child, c, index));
      }
    }
  }
}

// What a chart draws: no text of the scene (axis labels, axis titles, legend entries) cut short
// with "...", each legend entry showing its series' whole name, each text inside the chart.
inline void CheckChart(QChartView& view, std::vector<std::string>& cut) {
  QChart* chart = view.chart();
  if (chart == nullptr || view.scene() == nullptr) return;
  for (QGraphicsItem* item : view.scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (text == nullptr || !text->isVisible() || text->toPlainText().isEmpty()) continue;
    const QString shown = text->toPlainText();
    if (shown.contains("...") || shown.contains(QChar(0x2026))) {
      cut.push_back(Named(&view, shown) + " drawn cut");
    }
    const QRectF place = text->mapRectToScene(text->boundingRect());
    if (!chart->sceneBoundingRect().adjusted(-1, -1, 1, 1).contains(place)) {
      cut.push_back(Named(&view, shown) + " drawn outside the chart");
    }
  }
  for (QLegendMarker* marker : chart->legend()->markers()) {
    if (!marker->isVisible()) continue;
    bool whole = false;
    for (QGraphicsItem* item : view.scene()->items()) {
      auto* text = dynamic_cast<QGraphicsTextItem*>(item);
      if (text != nullptr && text->isVisible() && text->toPlainText() == marker->label()) {
        whole = true;
      }
    }
    if (!whole) cut.push_back(Named(&view, marker->label()) + " legend entry not drawn whole");
  }
}

// Every text the visible widgets of the window show, cut or not; returns the cut ones.
inline std::vector<std::string> CutTexts(const QWidget& window) {
  std::vector<std::string> cut;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisible() || widget->window() != &window) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      CheckLabel(*label, cut);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (!button->text().isEmpty()) CheckSizeHint(*button, button->text(), cut);
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
      CheckSizeHint(*box, box->currentText(), cut);
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) {
        const QString text = tabs->tabText(i);
        const int needs = TextWidth(tabs->fontMetrics(), QString(text).remove('&'));
        if (needs > tabs->tabRect(i).width()) {
          cut.push_back(Named(tabs, text) + " needs " + std::to_string(needs) + " px, has " +
                        std::to_string(tabs->tabRect(i).width()));
        }
      }
      CheckSizeHint(*tabs, "tabs", cut);
    } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
      const auto* view = qobject_cast<QTableView*>(header->parentWidget());
      const auto* tree = qobject_cast<QTreeView*>(header->parentWidget());
      const bool sorts = (view && view->isSortingEnabled()) || (tree && tree->isSortingEnabled());
      if (header->orientation() == Qt::Horizontal) CheckHeader(*header, sorts, cut);
    } else if (auto* chart = qobject_cast<QChartView*>(widget)) {
      CheckChart(*chart, cut);
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(widget);
        view && !qobject_cast<QHeaderView*>(widget)) {
      CheckCells(*view, cut);
    }
  }
  return cut;
}

}  // namespace climate::testing
