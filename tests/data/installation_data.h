#pragma once

// Shared by the installation data tests: where the generated installation data lies,
// one offscreen application, layouts loaded as the client loads them, elements by ID.

#include <QApplication>
#include <QImage>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

namespace tessal::test {

// A path below the generated installation folder, e.g. "Layout/layout.xml".
QString InstallationFile(const QString& relative);

// Created on first use; the tests run on the offscreen platform.
QApplication& GuiApplication();

// Loads a layout with the toolkit's loader; null (with the loader's message in `error`) on failure.
std::unique_ptr<QWidget> LoadLayout(const QString& relative, QString& error);

// Every widget of `root` (itself included) that carries the dynamic property "id".
std::map<int, std::vector<QWidget*>> WidgetsById(QWidget* root);

// The widget with `id`, or null when there is none or more than one.
QWidget* Element(QWidget* root, int id);

QImage LoadImage(const QString& relative);

struct ExpectedElement {
    int id;
    const char* widget_class;
};

using ElementTable = std::vector<ExpectedElement>;

// The layout loads and holds each element of `expected` exactly once, of its class.
void ExpectElements(const QString& layout, const ElementTable& expected);

}  // namespace tessal::test
