#pragma once
// The edit field of editor forms that takes tree paths dropped from the spectrum and
// clipboard trees. Each kind (spectra, spectrum group, clipboard objects, clipboard group)
// is accepted only once switched on. A drop puts the dropped text into the field unchanged
// (a ";"-list of ":"-paths or a group path) and lets the form read its controls, so the
// module parameter behind the field holds it at once. The text length is not limited.
#include "core/module_drop_target.h"

#include <QLineEdit>

class CSelectionEdit : public QLineEdit, public ModuleDropTarget {
    Q_OBJECT

public:
    explicit CSelectionEdit(QWidget* parent = nullptr);
    ~CSelectionEdit() override;

    void SetCanDropSpecs(bool can) { m_canDropSpecs = can; }
    void SetCanDropGroup(bool can) { m_canDropGroup = can; }
    void SetCanDropClipboardObjects(bool can) { m_canDropClipboardObjects = can; }
    void SetCanDropClipboardGroup(bool can) { m_canDropClipboardGroup = can; }

    // Does nothing; forms call it while they set up their fields.
    void Init();

    bool CanDropSpecs() const override;
    bool CanDropGroup() const override;
    bool CanDropClipboardObjects() const override;
    bool CanDropClipboardGroup() const override;
    void OnDropSpecs(const std::string& names) override;
    void OnDropGroup(const std::string& name) override;
    void OnDropClipboardObjects(const std::string& names) override;
    void OnDropClipboardGroup(const std::string& name) override;

private:
    // Shows the text and updates the data of the nearest enclosing form that exchanges data
    // (the field may sit in group boxes or scroll areas).
    void TakeDrop(const std::string& text);

    bool m_canDropSpecs = false;
    bool m_canDropGroup = false;
    bool m_canDropClipboardObjects = false;
    bool m_canDropClipboardGroup = false;
};
