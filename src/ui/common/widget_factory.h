#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

namespace crv::ui {

// Small helpers for windows laid out at fixed positions, each control named as it is known.

template <typename T> T* named(QWidget* parent, const char* name, const QRect& geometry) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

inline QLabel* label(QWidget* parent, const char* name, const QString& text,
                     const QRect& geometry) {
    auto* widget = named<QLabel>(parent, name, geometry);
    widget->setText(text);
    return widget;
}

/// A label that only names what stands beside it.
inline QLabel* caption(QWidget* parent, const QString& text, const QRect& geometry) {
    return label(parent, "", text, geometry);
}

inline QPushButton* button(QWidget* parent, const char* name, const QString& text,
                           const QRect& geometry) {
    auto* widget = named<QPushButton>(parent, name, geometry);
    widget->setText(text);
    return widget;
}

inline QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items,
                           const QRect& geometry) {
    auto* widget = named<QComboBox>(parent, name, geometry);
    widget->addItems(items);
    return widget;
}

inline QGroupBox* group(QWidget* parent, const char* name, const QString& title,
                        const QRect& geometry) {
    auto* box = named<QGroupBox>(parent, name, geometry);
    box->setTitle(title);
    return box;
}

inline QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text,
                           const QRect& geometry) {
    auto* box = named<QCheckBox>(parent, name, geometry);
    box->setText(text);
    return box;
}

inline QStringList toQStringList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << QString::fromStdString(item);
    }
    return list;
}

/// A bar gauge without text.
inline QProgressBar* gauge(QWidget* parent, const QString& name, Qt::Orientation orientation,
                           int minimum, int maximum, const QRect& geometry) {
    auto* widget = new QProgressBar(parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    widget->setOrientation(orientation);
    widget->setRange(minimum, maximum);
    widget->setValue(minimum);
    widget->setTextVisible(false);
    return widget;
}

} // namespace crv::ui
