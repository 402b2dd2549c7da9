#pragma once
// "Parameter bearbeiten" of the forms whose module carries the fitter settings: the settings
// in the fitter-settings dialog, read back and stored however the dialog was closed.
class LEDFitterParamsModule;
class QWidget;

namespace led {

void EditFitterSettings(QWidget* parent, LEDFitterParamsModule& module);

} // namespace led
