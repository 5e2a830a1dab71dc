// A request's members read as the type an op needs, or a RequestError that
// names the member and what it must be.
#pragma once

#include <cmath>
#include <string>

#include "control/ControlServer.h"

namespace control::args {

inline const json& member(const json& req, const char* name, const char* mustBe) {
  auto it = req.find(name);
  if (it == req.end()) throw RequestError(std::string("\"") + name + "\" must be " + mustBe);
  return *it;
}

inline std::string str(const json& req, const char* name) {
  const json& v = member(req, name, "a text");
  if (!v.is_string()) throw RequestError(std::string("\"") + name + "\" must be a text");
  return v.get<std::string>();
}

inline double number(const json& req, const char* name) {
  const json& v = member(req, name, "a number");
  if (!v.is_number()) throw RequestError(std::string("\"") + name + "\" must be a number");
  return v.get<double>();
}

// Absent, the fallback.
inline long integer(const json& req, const char* name, long fallback) {
  if (!req.contains(name)) return fallback;
  const json& v = req[name];
  if (!v.is_number_integer()) throw RequestError(std::string("\"") + name + "\" must be a whole number");
  return v.get<long>();
}

// A point on a screen `limit` points wide (or high).
inline double coordinate(const json& req, const char* name, double limit) {
  double v = number(req, name);
  if (!std::isfinite(v) || v < 0 || v >= limit)
    throw RequestError(std::string("\"") + name + "\" is off the screen (0 to " + std::to_string(std::lround(limit)) +
                       " points)");
  return v;
}

}  // namespace control::args
