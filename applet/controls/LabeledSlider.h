// A vertical slider over a list of choices (1-based) with a value label and a frame; the
// stand-by and hibernate sliders of one column are linked as partners. The scheme settings
// page drives their scrolling rules.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Window.h"

namespace applet {

class LabeledSlider : public framework::Window {
public:
    void BindLabel(HWND label) { label_ = label; }
    void BindFrame(HWND frame) { frame_ = frame; }
    // Splits the string at commas into the choices; the range becomes 1..count.
    bool LoadList(UINT stringId);
    void SetChoices(std::vector<std::string> choices);
    // A value outside the range shows the range's maximum and its choice.
    void SetValue(int value);
    int Value() const;
    // The label shows the choice at `position` (nothing outside the list).
    void ShowChoice(int position);
    void LinkPartners(LabeledSlider* hibernatePartner, LabeledSlider* standbyPartner) {
        hibernatePartner_ = hibernatePartner;
        standbyPartner_ = standbyPartner;
    }
    LabeledSlider* HibernatePartner() const { return hibernatePartner_; }
    LabeledSlider* StandbyPartner() const { return standbyPartner_; }
    // Slider, label and frame together.
    void Show(bool shown);
    // In effect: a modal frame instead of the static edge.
    void MarkInEffect(bool inEffect);

    const std::vector<std::string>& Choices() const { return choices_; }
    int Maximum() const;
    void SetMaximum(int maximum);

protected:
    // A move shows its choice, tells the dialog that something was edited and keeps the
    // stand-by / hibernate partner in step.
    bool OnReflectedScroll(UINT code, int position) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void KeepPartnerInStep();

    std::vector<std::string> choices_;
    HWND label_ = nullptr;
    HWND frame_ = nullptr;
    LabeledSlider* hibernatePartner_ = nullptr;
    LabeledSlider* standbyPartner_ = nullptr;
};

} // namespace applet
