#include "model/model_file.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "common/text_file.h"

namespace ostrino::model {

namespace {

using Json = nlohmann::ordered_json;

ModelFileResult failure(std::string why) {
    return {std::nullopt, "This is not a valve model file: " + std::move(why)};
}

// A number the file may hold for an error of the fit: missing, or finite and not negative.
bool readError(const Json& j, const char* key, double& out, std::string& why) {
    const auto it = j.find(key);
    if (it == j.end()) {
        return true;
    }
    if (!it->is_number() || !std::isfinite(it->get<double>()) || it->get<double>() < 0.0) {
        why = std::string("\"") + key + "\" is not a number of 0 or more.";
        return false;
    }
    out = it->get<double>();
    return true;
}

bool readText(const Json& j, const char* key, std::string& out, std::string& why) {
    const auto it = j.find(key);
    if (it == j.end()) {
        return true;
    }
    if (!it->is_string()) {
        why = std::string("\"") + key + "\" is not a text.";
        return false;
    }
    out = it->get<std::string>();
    return true;
}

ModelFileResult fromJson(const Json& j) {
    if (!j.is_object()) {
        return failure("it holds no JSON object.");
    }
    const auto m = j.find("model");
    if (m == j.end() || !m->is_string()) {
        return failure("it names no model.");
    }
    const std::string name = m->get<std::string>();
    const std::optional<ModelKind> kind = findModel(name);
    if (!kind) {
        return failure("the model \"" + name + "\" is unknown.");
    }
    const auto params = j.find("parameters");
    if (params == j.end() || !params->is_object()) {
        return failure("it has no \"parameters\".");
    }
    ModelRecord r;
    r.kind = *kind;
    for (const ParameterInfo& info : modelInfo(*kind).parameters) {
        const std::string key(info.key);
        const auto v = params->find(key);
        if (v == params->end()) {
            return failure("the parameter \"" + key + "\" is missing.");
        }
        if (!v->is_number() || !std::isfinite(v->get<double>()) || !(v->get<double>() > 0.0)) {
            return failure("the parameter \"" + key + "\" is not a positive number.");
        }
        r.parameters.push_back(v->get<double>());
    }
    std::string why;
    if (!readError(j, "rms_ma", r.rmsMa, why) || !readError(j, "rms_percent", r.rmsPercent, why) ||
        !readError(j, "worst_ma", r.worstMa, why) || !readText(j, "title", r.title, why) ||
        !readText(j, "date", r.date, why) || !readText(j, "conditions", r.conditions, why)) {
        return failure(why);
    }
    return {std::move(r), {}};
}

}  // namespace

std::string modelJson(const ModelRecord& record) {
    const ModelInfo& info = modelInfo(record.kind);
    Json j;
    j["model"] = std::string(info.name);
    Json params = Json::object();
    for (std::size_t k = 0; k < info.parameters.size() && k < record.parameters.size(); ++k) {
        params[std::string(info.parameters[k].key)] = record.parameters[k];
    }
    j["parameters"] = std::move(params);
    j["rms_ma"] = record.rmsMa;
    j["rms_percent"] = record.rmsPercent;
    j["worst_ma"] = record.worstMa;
    j["title"] = record.title;
    j["date"] = record.date;
    j["conditions"] = record.conditions;
    // Invalid UTF-8 in a title is replaced rather than refused.
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

ModelFileResult parseModelJson(std::string_view text) {
    try {
        return fromJson(Json::parse(text));
    } catch (const Json::parse_error& e) {
        return failure("it is damaged or not JSON (at byte " + std::to_string(e.byte) + ").");
    } catch (const Json::exception&) {
        return failure("it is damaged.");
    }
}

bool saveModelFile(const std::string& path, const ModelRecord& record, std::string& error) {
    return writeFileAtomically(path, modelJson(record), error);
}

ModelFileResult openModelFile(const std::string& path) {
    std::string error;
    const std::optional<std::string> text = readWholeFile(path, error);
    if (!text) {
        return {std::nullopt, "The model file cannot be read: " + error};
    }
    return parseModelJson(*text);
}

}  // namespace ostrino::model
