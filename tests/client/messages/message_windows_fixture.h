#pragma once

// A demo installation with the client's layouts and images, as the current folder (the
// client runs in its program folder), boxes and daily-log lines recorded, pages the
// member's browser would open recorded, and screenshots for review.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/gui/elements.h"
#include "common/gui/message_boxes.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::client::test {

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back((caption + "|" + text).toStdString());
    }
    std::vector<std::string> shown;
};

class MessageWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        QDir::setCurrent(QString::fromStdString(folder().string()));
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* item : {"Layout", "IMAGE", "cache/PushImg_def.png"})
            std::filesystem::copy(data / item, folder() / item,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override { QDir::setCurrent(QDir::tempPath()); }

    const std::filesystem::path& folder() const { return installation_.folder(); }
    std::function<void(const std::string&)> Log() {
        return [this](const std::string& line) { log_.push_back(line); };
    }
    std::function<void(const QString&)> Browser() {
        return [this](const QString& url) { opened_.push_back(url.toStdString()); };
    }

    static void Click(const QWidget* window, int id) {
        auto* button = qobject_cast<QAbstractButton*>(gui::FindElement(window, id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    // Runs what closing windows left for the event loop (their deletion).
    static void Settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void SaveScreenshot(const QImage& image, const char* name) {
        const char* folder = std::getenv("TESSAL_SCREENSHOT_DIR");
        if (folder == nullptr)
            return;
        std::filesystem::create_directories(folder);
        image.save(QString::fromStdString(
            (std::filesystem::path(folder) / (std::string(name) + ".png")).string()));
    }

    tessal::test::TestInstallation installation_;
    RecordingBoxes boxes_;
    std::vector<std::string> log_;
    std::vector<std::string> opened_;
};

}  // namespace tessal::client::test
