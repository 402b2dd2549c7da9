// The plug-in's entry point: the factory of the calculation modules. The table lists each
// module's menu path (levels at ":", "|" where the module tree may hyphenate, umlauts as
// "ae", "ue") with its creator, in menu order, and ends with an empty sentinel.
#include "calculation/col_normalize_module.h"
#include "calculation/create_interpolator_module.h"
#include "calculation/normalize_module.h"
#include "calculation/planckian_source_module.h"
#include "calculation/rem_trans_spec_module.h"
#include "calculation/spectral_filter_module.h"
#include "calculation/spectral_integral_var_module.h"
#include "calculation/svd_selection_module.h"
#include "calculation/test_interpolator_module.h"

#include "core/module_table_factory.h"
#include "core/plugin_entry.h"

namespace {

const ModuleTableEntry kModules[] = {
    {"Spek|tren-|Attri|bu|tier|ung:Spek|tren nach Na|men|vor|lage neu ein|faer|ben", &CreateModuleOf<ColNormalizeModule>},
    {"Spek|tren-|Arith|me|tik:Norma|li|sie|ren/Modi|fi|zie|ren", &CreateModuleOf<NormalizeModule>},
    {"Spek|tren-|Arith|me|tik:Spek|tren fil|tern", &CreateModuleOf<SpectralFilterModule>},
    {"Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Planck-|Ver|tei|lung be|rech|nen", &CreateModuleOf<PlanckianSourceModule>},
    {"Spek|tren-|Arith|me|tik:Spek|tra|le Punkt|ver|knuep|fung an|wen|den", &CreateModuleOf<RemTransSpecModule>},
    {"Spek|tren-|Arith|me|tik:Al|ge|brai|sche Spek|tren|aus|wahl durch|fu|ehren", &CreateModuleOf<SVDSelectionModule>},
    {"Spek|tren-|Arith|me|tik:Su|per|re|so|lu|tion:Spek|tra|le Ka|li|brie|rung durch|fueh|ren",
     &CreateModuleOf<CreateInterpolatorModule>},
    {"Spek|tren-|Arith|me|tik:Su|per|re|so|lu|tion:Spek|tra|le Ka|li|brie|rung tes|ten", &CreateModuleOf<TestInterpolatorModule>},
    {"Mul|ti|spek|tra|le Sen|so|ren:Spek|tral-|tech|no|lo|gi|sche Sen|sor|kon|fi|gu|ra|tion be|stim|men",
     &CreateModuleOf<SpectralIntegralVarModule>},
    {"Mul|ti|spek|tra|le Sen|so|ren:Spek|tral-|al|ge|brai|sche Sen|sor|kon|fi|gu|ra|tion be|stim|men",
     &CreateModuleOf<SVDSensSelectionModule>},
    {"", nullptr},
};

ModuleTableFactory g_factory(kModules);

} // namespace

extern "C" ModuleFactory* GetModuleFactory()
{
    return &g_factory;
}
