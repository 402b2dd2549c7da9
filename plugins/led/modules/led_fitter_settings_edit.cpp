#include "modules/led_fitter_settings_edit.h"

#include "modules/led_fitter_params_module.h"

#include "windows/led_fitter_params_edit_dlg.h"

#include "engine/led_fitter.h"

namespace led {

void EditFitterSettings(QWidget* parent, LEDFitterParamsModule& module)
{
    LEDFitterSettings settings;
    module.GetFitterSettings(settings);
    CLedFitterParamsEditDlg dialog(parent);
    dialog.SetHost(module.GetModuleInterface());
    dialog.SetSettings(settings);
    dialog.DoModal();
    dialog.GetSettings(settings);
    module.SetFitterSettings(settings);
}

} // namespace led
