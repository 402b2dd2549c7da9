#include "modules/led_fitter_params_module.h"

#include "engine/led_fitter.h"

#include <cfloat>
#include <climits>

LEDFitterParamsModule::LEDFitterParamsModule(const std::string& name)
    : LEDModuleBase(name)
{
    ns_param::Paramora& p = getParameters();
    p.addIntParameter("MaxIterations", "", 1000, 2, INT_MAX, 1000);
    p.addDoubleParameter("MinGradient", "", 1e-6, 0, DBL_MAX, 1e-6);
    p.addDoubleParameter("MinValue", "", -1e308, -DBL_MAX, DBL_MAX, -1e308);
    p.addDoubleParameter("MinStep", "", 1e-9, 0, DBL_MAX, 1e-9);
    p.addDoubleParameter("MaxStep", "", 1e32, 0, DBL_MAX, 1e32);
    p.addDoubleParameter("MinConvergence", "", 0.001, 0, DBL_MAX, 0.001);
    p.addIntParameter("ConvergenceSteps", "", 3, 1, INT_MAX, 3);
    p.addDoubleParameter("StepUpsizeFactor", "", 1.3333, 1.0001, DBL_MAX, 1.3333);
    p.addDoubleParameter("StepDownsizeFactor", "", 0.75, 0.0001, 0.9999, 0.75);
    p.addDoubleParameter("KUpsizeOffset", "", 8, 1, DBL_MAX, 8);
    p.addDoubleParameter("KDownsizeOffset", "", 1, 1, DBL_MAX, 1);
    p.addDoubleParameter("FunctionParam", "", 0, -DBL_MAX, DBL_MAX, 0);
    p.addIntParameter("OptimizationFunction", "", 0, 0, 5, 0);
    p.addBoolParameter("AddTargetDrivenOptimization", "", false, false);
    p.addStringParameter("TargetSpecsDesc", "", "", "");
    p.addStringParameter("ObserverSpecsDesc", "", "", "");
}

LEDFitterParamsModule::~LEDFitterParamsModule() = default;

void LEDFitterParamsModule::GetFitterSettings(LEDFitterSettings& settings)
{
    Run run(*this, true);
    ns_param::Paramora& p = getParameters();
    OptimizerOptions& o = settings.Options;
    o.MaxIterations = *p.getIntParameter("MaxIterations");
    o.MinGradient = *p.getDoubleParameter("MinGradient");
    o.MinValue = *p.getDoubleParameter("MinValue");
    o.MinStep = *p.getDoubleParameter("MinStep");
    o.MaxStep = *p.getDoubleParameter("MaxStep");
    o.MinConvergence = *p.getDoubleParameter("MinConvergence");
    o.ConvergenceSteps = *p.getIntParameter("ConvergenceSteps");
    o.StepDownsizeFactor = *p.getDoubleParameter("StepDownsizeFactor");
    o.StepUpsizeFactor = *p.getDoubleParameter("StepUpsizeFactor");
    o.KDownsizeOffset = *p.getDoubleParameter("KDownsizeOffset");
    o.KUpsizeOffset = *p.getDoubleParameter("KUpsizeOffset");
    settings.FunctionParam = *p.getDoubleParameter("FunctionParam");
    settings.OptimizationFunction = *p.getIntParameter("OptimizationFunction");
    settings.AddTargetDrivenOptimization = *p.getBoolParameter("AddTargetDrivenOptimization");
    settings.TargetSpecs.Clear();
    settings.ObserverSpecs.Clear();
    ReadSpectraSet(settings.TargetSpecs, *p.getStringParameter("TargetSpecsDesc"));
    ReadSpectraSet(settings.ObserverSpecs, *p.getStringParameter("ObserverSpecsDesc"));
}

void LEDFitterParamsModule::SetFitterSettings(const LEDFitterSettings& settings)
{
    Run run(*this, true);
    ns_param::Paramora& p = getParameters();
    const OptimizerOptions& o = settings.Options;
    p.setIntParameter("MaxIterations", o.MaxIterations);
    p.setDoubleParameter("MinGradient", o.MinGradient);
    p.setDoubleParameter("MinValue", o.MinValue);
    p.setDoubleParameter("MinStep", o.MinStep);
    p.setDoubleParameter("MaxStep", o.MaxStep);
    p.setDoubleParameter("MinConvergence", o.MinConvergence);
    p.setIntParameter("ConvergenceSteps", o.ConvergenceSteps);
    p.setDoubleParameter("StepUpsizeFactor", o.StepUpsizeFactor);
    p.setDoubleParameter("StepDownsizeFactor", o.StepDownsizeFactor);
    p.setDoubleParameter("KUpsizeOffset", o.KUpsizeOffset);
    p.setDoubleParameter("KDownsizeOffset", o.KDownsizeOffset);
    p.setBoolParameter("AddTargetDrivenOptimization", settings.AddTargetDrivenOptimization);
    p.setDoubleParameter("FunctionParam", settings.FunctionParam);
    p.setIntParameter("OptimizationFunction", settings.OptimizationFunction);
}
