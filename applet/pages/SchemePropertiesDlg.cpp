#include "SchemePropertiesDlg.h"

#include <commctrl.h>

#include <string>

#include "applet/AppletPolicy.h"
#include "applet/PageList.h"
#include "framework/TextCut.h"
#include "framework/TextList.h"
#include "applet/res/resource.h"
#include "framework/WindowText.h"

namespace applet {

SchemePropertiesDlg::SchemePropertiesDlg()
    : Dialog(IDD_SCHEME_PROPERTIES, framework::TextKind::Narrow),
      settings_(std::make_unique<SchemeSettingsPage>()),
      general_(std::make_unique<SchemeGeneralPage>()) {
    settings_->SetScheme(&copy_);
    general_->SetScheme(&copy_);
}

SchemePropertiesDlg::~SchemePropertiesDlg() = default;

void SchemePropertiesDlg::SetScheme(store::SchemeStore* source) {
    source_ = source;
    if (source != nullptr) {
        copy_.CopyFrom(*source);
        copy_.modeId = source->modeId;
    }
}

void SchemePropertiesDlg::SetHibernate(bool enabled) {
    hibernateEnabled_ = enabled;
    if (settings_) {
        settings_->SetHibernate(enabled);
    }
}

bool SchemePropertiesDlg::OnInitDialog() {
    RECT frame{};
    ::GetWindowRect(Item(IDC_PROPS_PAGE_FRAME), &frame);
    ::OffsetRect(&frame, 4, 2);
    host_.SetPageRect(frame);
    host_.SetTabControl(Item(IDC_PROPS_TABS));

    // Load Default is offered only where the machine keeps a factory copy of this mode.
    store::SchemeStore factory;
    const bool hasDefault = factory.LoadScheme(HKEY_LOCAL_MACHINE, copy_.modeId);
    general_->SetLoadDefault([this] { LoadDefault(); }, hasDefault);

    host_.AddPage(general_.get(), IDD_GENERAL_PAGE, Hwnd());
    host_.AddPage(settings_.get(), IDD_SETTINGS_PAGE, Hwnd());
    if (AppletPolicy().ProcessorWord() == 0) {
        settings_->RemoveProcessorRow();
    }
    for (const framework::Dialog* page : {static_cast<framework::Dialog*>(general_.get()),
                                          static_cast<framework::Dialog*>(settings_.get())}) {
        if (page->Hwnd() != nullptr) {
            UseTabBackground(page->Hwnd());
        }
    }

    const HWND tabs = Item(IDC_PROPS_TABS);
    int index = 0;
    for (const UINT text : {IDS_TAB_GENERAL, IDS_TAB_SETTINGS}) {
        std::string label = framework::LoadText(text);
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = label.data();
        item.lParam = index;
        ::SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index++),
                       reinterpret_cast<LPARAM>(&item));
    }
    host_.Select(0);

    // The caption is a text with "%s" where the language puts the mode's name.
    framework::SetWindowText(
        Hwnd(), framework::FillText(framework::WindowText(Hwnd()), copy_.mode.NamePolicy));
    return true;
}

void SchemePropertiesDlg::LoadDefault() {
    const int id = copy_.modeId;
    copy_.LoadScheme(HKEY_LOCAL_MACHINE, id);
    copy_.modeId = id;
    general_->LoadFromMode();
    settings_->LoadFromMode();
}

void SchemePropertiesDlg::OnOK() {
    general_->SaveToMode();
    settings_->SaveToMode();
    if (source_ != nullptr) {
        const int id = source_->modeId;
        source_->CopyFrom(copy_);
        source_->modeId = id;
        // A name that reached here longer than a name may be is cut.
        const std::string name = source_->mode.NamePolicy;
        framework::CopyToField(source_->mode.NamePolicy, name, framework::IsAnsiLeadByte,
                               store::kModeNameLimit);
    }
    End(IDOK);
}

bool SchemePropertiesDlg::PreTranslateMessage(MSG& message) {
    return host_.TranslatePageKey(message) || Dialog::PreTranslateMessage(message);
}

bool SchemePropertiesDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_PROPS_TABS && header.code == TCN_SELCHANGE) {
        host_.Select(static_cast<int>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
        result = 0;
        return true;
    }
    return Dialog::OnNotify(header, result);
}

LRESULT SchemePropertiesDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMPOWERSTATUSCHANGE && settings_) {
            settings_->MarkColumnInEffect();
        }
        return TRUE;
    case WM_DESTROY:
        host_ = framework::TabPageHost{};
        break;
    default:
        break;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

} // namespace applet
