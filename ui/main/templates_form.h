#pragma once

// TForm5: the templates window. It reads the template library afresh each time it opens,
// lets the user pick a template, type the real signals for its parameters and choose the
// target block and its name, then loads the template into that block and closes.

#include <QDialog>
#include <array>
#include <string>

#include "storage/templates.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace ui {

class Dialogs;
class TColorButton;
class TForm1;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 745;

    // `exeDir` is the folder holding "templates.txt", ending in "/", in the program's text
    // (Windows-1251) like the main window's.
    TForm5(TForm1& mainWindow, Dialogs& dialogs, std::string exeDir);

    // Prepares the window for an opening (FormShow) and shows it modally.
    int Open();

    // Handlers, public so that the main window and the tests reach them as the events do.
    void FormShow();
    void Templates_LBSelect();
    void Send_Templateclick();
    void Close_Buttonclick();

    // The outer height the window has by design: 153 + 32 per row of fields in use.
    int OuterHeight() const { return outerHeight_; }
    const storage::TemplateLibrary& Library() const { return library_; }
    int8_t TemplateCount() const { return library_.TemplateCount(); }
    // The parameter field j (1..16) is bound to; 0 when it is not in use.
    int BoundParameter(int j) const { return bound_[static_cast<size_t>(j)]; }
    // The selected template, or nullptr when the list has no selection.
    const storage::Template* SelectedTemplate() const;

    QLabel* Label2 = nullptr;
    QLineEdit* Block_Number = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Block_Name = nullptr;
    QComboBox* Templates_LB = nullptr;
    std::array<QLineEdit*, storage::kParameterCount + 1> LabeledEdit{};  // 1..16
    std::array<QLabel*, storage::kParameterCount + 1> EditLabel{};       // their labels
    TColorButton* Send_Template = nullptr;
    TColorButton* Close_Button = nullptr;

private:
    void FormCreate();
    void ShowParameters();
    void SetFieldVisible(int j, bool visible);
    void PlaceLabel(int j);
    storage::ParameterValues Values() const;

    TForm1& main_;
    Dialogs& dialogs_;
    std::string exeDir_;
    storage::TemplateLibrary library_;
    std::array<int, storage::kParameterCount + 1> bound_{};
    int outerHeight_ = 153;
};

}  // namespace ui
