#pragma once
// A shown task list of a chosen size, rows and column widths, and mouse input sent to its rows area.

#include "controls/task_list.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <set>

constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 30;
/// Enough columns for every subitem the drawing reads (0 to 16).
constexpr int kTaskColumns = 17;

class TaskListFixture : public ::testing::Test {
protected:
    /// `nRows` rows named "task <i>" with status "R"; column j gets widths[j] (0 past its end).
    void Build(int nRows, const QVector<int>& widths, QSize size = QSize(400, 330)) {
        m_list.setColumnCount(kTaskColumns);
        for (int j = 0; j < kTaskColumns; ++j) {
            m_list.setColumnWidth(j, j < widths.size() ? widths[j] : 0);
        }
        AddRows(nRows);
        m_list.resize(size);
        m_list.show();
    }
    void AddRows(int nRows) {
        QList<QTreeWidgetItem*> items;
        for (int i = 0; i < nRows; ++i) {
            auto* pItem = new QTreeWidgetItem;
            pItem->setText(0, QStringLiteral("task %1").arg(m_list.topLevelItemCount() + i));
            pItem->setText(TaskStatusSubItem, QStringLiteral("R"));
            items.push_back(pItem);
        }
        m_list.addTopLevelItems(items);
    }
    QWidget* Viewport() { return m_list.viewport(); }
    /// A point in the middle of row `nRow` as it shows now (no single selection of another height).
    QPoint RowPoint(int nRow, int x = 30) {
        return QPoint(x, kHeaderHeight + nRow * kRowHeight + kRowHeight / 2 - m_list.m_pVScrollBar->value());
    }
    std::set<int> SelectedRows() {
        std::set<int> rows;
        for (int i = 0; i < m_list.topLevelItemCount(); ++i) {
            if (m_list.selectionModel()->isSelected(m_list.model()->index(i, 0))) {
                rows.insert(i);
            }
        }
        return rows;
    }

    void Mouse(QEvent::Type type, QPoint pt, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
        Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        if (type == QEvent::MouseMove) {
            buttons = m_heldButtons;
        }
        if (type == QEvent::MouseButtonPress) {
            m_heldButtons |= button;
        } else if (type == QEvent::MouseButtonRelease) {
            m_heldButtons &= ~Qt::MouseButtons(button);
        }
        QMouseEvent event(type, QPointF(pt), Viewport()->mapToGlobal(QPointF(pt)), button, buttons,
                          modifiers);
        QApplication::sendEvent(Viewport(), &event);
    }
    void Click(QPoint pt, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
        Mouse(QEvent::MouseButtonPress, pt, button, modifiers);
        Mouse(QEvent::MouseButtonRelease, pt, button, modifiers);
    }
    void Move(QPoint pt) { Mouse(QEvent::MouseMove, pt, Qt::NoButton); }
    void Leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(Viewport(), &event);
    }
    /// One notch is +120 (forward, away from the user).
    void Wheel(QPoint pt, int nDelta) {
        QWheelEvent event(QPointF(pt), Viewport()->mapToGlobal(QPointF(pt)), QPoint(), QPoint(0, nDelta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &event);
    }

    CShowTaskListCtrl m_list;
    Qt::MouseButtons m_heldButtons;
};
