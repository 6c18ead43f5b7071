// The "Power Save Mode" tab of the scheme properties: one mode as a grid of vertical sliders,
// six settings by four battery columns (an AC mode uses the first column only). The column in
// effect now is framed and its icon lit.
#pragma once

#include <memory>

#include "applet/controls/IconStatic.h"
#include "applet/controls/LabeledSlider.h"
#include "applet/logic/SettingsRules.h"
#include "framework/Dialog.h"
#include "store/SchemeStore.h"

namespace applet {

class SchemeSettingsPage : public framework::Dialog {
public:
    SchemeSettingsPage();

    void SetScheme(store::SchemeStore* mode) { mode_ = mode; }
    void SetHibernate(bool enabled) { hibernateEnabled_ = enabled; }

    // Every slider from the mode's 24 words; a value outside a slider's list shows its last
    // choice.
    void LoadFromMode();
    // Every word from its slider. A slider the page does not show (the unused columns of an
    // AC mode, a row taken away) writes its word only when its partner moved it.
    void SaveToMode() const;
    // Without processor speed control: the row goes and the rows below move up.
    void RemoveProcessorRow();
    // From the power source, the modes in force and the battery level.
    void MarkColumnInEffect();

    int ColumnInEffect() const { return columnInEffect_; }
    LabeledSlider& Slider(int row, int column) { return sliders_[row][column]; }

protected:
    bool OnInitDialog() override;
    bool OnHelp(const HELPINFO& help) override;

private:
    bool AcMode() const { return mode_ != nullptr && mode_->mode.ACPlug_IN != 0; }
    void LayOutByKind();
    void ShowHibernateRow();
    void ShowSlider(int row, int column, bool shown);

    store::SchemeStore* mode_ = nullptr;
    bool hibernateEnabled_ = false;
    int columnInEffect_ = -1;
    LabeledSlider sliders_[kGridRows][kGridColumns];
    bool shown_[kGridRows][kGridColumns] = {};
    int loaded_[kGridRows][kGridColumns] = {};
    IconStatic rowIcons_[kGridRows];
    IconStatic columnIcons_[kGridColumns];
};

} // namespace applet
