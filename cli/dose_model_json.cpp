#include "cli/dose_model_json.h"

#include "cli/json_writer.h"

void WriteDoseModelMembers(TJsonWriter& json, const TDoseModelResult& r) {
    json.Member("model", DoseModelName(r.Kind));
    json.Member("n", r.N);
    json.Member("De", r.De);
    json.Member("DeError", r.DeError);
    if (r.Kind == TDoseModelKind::Central) {
        json.Member("OD", r.OD);
        json.Member("ODError", r.ODError);
        json.Member("relOD", r.RelOD);
        json.Member("relODError", r.RelODError);
    }
    if (r.Kind == TDoseModelKind::Minimum3 || r.Kind == TDoseModelKind::Minimum4) {
        json.Member("sigma", r.Sigma);
        json.Member("p0", r.P0);
        if (r.Kind == TDoseModelKind::Minimum4) json.Member("mu", r.Mu);
        json.Member("DeLower", r.DeLower);
        json.Member("DeUpper", r.DeUpper);
        json.Member("Lmax", r.Lmax);
        json.Member("BIC", r.BIC);
    }
}
