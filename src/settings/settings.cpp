// SPDX-License-Identifier: MIT
#include "settings/settings.h"

#include <toml++/toml.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <sstream>
#include <utility>

#include "model/user_folders.h"

namespace tavrine::settings {
namespace {

template <class E>
struct Choice {
  std::string_view word;
  E value;
};

constexpr std::array<Choice<Trigger>, 3> kTriggers{
    {{"primary", Trigger::primary}, {"super", Trigger::super}, {"alt", Trigger::alt}}};
constexpr std::array<Choice<Placement>, 3> kPlacements{
    {{"front-application", Placement::frontApplication},
     {"pointer", Placement::pointer},
     {"primary", Placement::primary}}};
constexpr std::array<Choice<Appearance>, 3> kAppearances{{{"desktop", Appearance::followDesktop},
                                                          {"light", Appearance::light},
                                                          {"dark", Appearance::dark}}};
constexpr std::array<Choice<Language>, 2> kLanguages{
    {{"en", Language::english}, {"zh", Language::chinese}}};

enum class Key {
  trigger,
  holdDelay,
  neverShowOver,
  placement,
  appearance,
  size,
  language,
  startAtLogin
};
constexpr std::array<std::pair<std::string_view, Key>, 8> kKeys{{
    {"trigger", Key::trigger},
    {"hold_delay_ms", Key::holdDelay},
    {"never_show_over", Key::neverShowOver},
    {"placement", Key::placement},
    {"appearance", Key::appearance},
    {"size_percent", Key::size},
    {"language", Key::language},
    {"start_at_login", Key::startAtLogin},
}};

// A value as TOML writes it, for messages.
std::string shown(const toml::node& node);

std::optional<Key> keyNamed(std::string_view name) {
  for (const auto& [word, key] : kKeys) {
    if (word == name) return key;
  }
  return std::nullopt;
}

std::string tomlString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      constexpr std::string_view kHex = "0123456789ABCDEF";
      out += "\\u00";
      out += kHex[(static_cast<unsigned char>(c) >> 4) & 0xf];
      out += kHex[static_cast<unsigned char>(c) & 0xf];
    } else {
      out += c;
    }
  }
  return out + '"';
}

template <class E, std::size_t N>
std::string_view wordOf(const std::array<Choice<E>, N>& choices, E value) {
  for (const Choice<E>& choice : choices) {
    if (choice.value == value) return choice.word;
  }
  return choices.front().word;
}

template <class E, std::size_t N>
std::string oneOf(const std::array<Choice<E>, N>& choices) {
  std::string out = "one of ";
  for (std::size_t i = 0; i < N; ++i)
    out += (i ? ", " : "") + tomlString(choices[i].word);
  return out;
}

// A choice key's value, or what it should have been.
template <class E, std::size_t N>
std::optional<std::string> readChoice(const std::array<Choice<E>, N>& choices,
                                      const toml::node& node, E& out) {
  if (const auto word = node.value<std::string>()) {
    for (const Choice<E>& choice : choices) {
      if (choice.word == *word) {
        out = choice.value;
        return std::nullopt;
      }
    }
  }
  return "not " + oneOf(choices);
}

std::optional<std::string> readWhole(const toml::node& node, int low, int high, int& out,
                                     std::string_view unit) {
  const toml::value<std::int64_t>* number = node.as_integer();
  if (number != nullptr && number->get() >= low && number->get() <= high) {
    out = static_cast<int>(number->get());
    return std::nullopt;
  }
  return "not a whole number " + std::string(unit) + "from " + std::to_string(low) + " to " +
         std::to_string(high);
}

// Reads `key` from `node` into `settings`; what the value should have been when it is not.
// A list of names keeps the names it has and reports each entry that is not one.
std::optional<std::string> read(Key key, const toml::node& node, Settings& settings,
                                std::vector<std::string>* badEntries) {
  switch (key) {
    case Key::trigger:
      return readChoice(kTriggers, node, settings.trigger);
    case Key::holdDelay:
      return readWhole(node, Settings::kMinHoldDelayMs, Settings::kMaxHoldDelayMs,
                       settings.holdDelayMs, "of milliseconds ");
    case Key::neverShowOver: {
      const toml::array* list = node.as_array();
      if (list == nullptr) return "not a list of desktop ids or window classes";
      settings.neverShowOver.clear();
      for (const toml::node& entry : *list) {
        const auto name = entry.value<std::string>();
        if (name && !name->empty()) {
          settings.neverShowOver.push_back(*name);
        } else if (badEntries != nullptr) {
          badEntries->push_back(shown(entry));
        }
      }
      return std::nullopt;
    }
    case Key::placement:
      return readChoice(kPlacements, node, settings.placement);
    case Key::appearance:
      return readChoice(kAppearances, node, settings.appearance);
    case Key::size:
      return readWhole(node, Settings::kMinSizePercent, Settings::kMaxSizePercent,
                       settings.sizePercent, "");
    case Key::language:
      return readChoice(kLanguages, node, settings.language);
    case Key::startAtLogin:
      if (const auto value = node.value<bool>(); value && node.is_boolean()) {
        settings.startAtLogin = *value;
        return std::nullopt;
      }
      return std::string("not true or false");
  }
  return std::nullopt;
}

// `key`'s value in `settings`, written as TOML.
std::string valueText(Key key, const Settings& settings) {
  switch (key) {
    case Key::trigger:
      return tomlString(wordOf(kTriggers, settings.trigger));
    case Key::holdDelay:
      return std::to_string(settings.holdDelayMs);
    case Key::neverShowOver: {
      std::string out = "[";
      for (std::size_t i = 0; i < settings.neverShowOver.size(); ++i)
        out += (i ? ", " : "") + tomlString(settings.neverShowOver[i]);
      return out + "]";
    }
    case Key::placement:
      return tomlString(wordOf(kPlacements, settings.placement));
    case Key::appearance:
      return tomlString(wordOf(kAppearances, settings.appearance));
    case Key::size:
      return std::to_string(settings.sizePercent);
    case Key::language:
      return tomlString(wordOf(kLanguages, settings.language));
    case Key::startAtLogin:
      return settings.startAtLogin ? "true" : "false";
  }
  return {};
}

// The value of `key` in each of the two, compared.
bool sameValue(Key key, const Settings& a, const Settings& b) {
  return valueText(key, a) == valueText(key, b);
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view withoutDesktopEnding(std::string_view name) {
  constexpr std::string_view kEnding = ".desktop";
  if (name.size() > kEnding.size() && lower(name.substr(name.size() - kEnding.size())) == kEnding)
    name.remove_suffix(kEnding.size());
  return name;
}

// --- Line-by-line editing ---

bool isBareKeyChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

// Where a value that starts at `from` of `text` ends: before a comment, a line end outside
// brackets, or the end. Strings and brackets are followed, so a '#' in a string or a list over
// several lines is part of the value.
std::size_t valueEnd(std::string_view text, std::size_t from) {
  int depth = 0;
  std::size_t i = from;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const bool triple = text.substr(i, 3) == std::string(3, c);
      const std::string close = triple ? std::string(3, c) : std::string(1, c);
      i += close.size();
      while (i < text.size() && text.substr(i, close.size()) != close) {
        if (!triple && text[i] == '\n') return i;  // an unclosed string ends with its line
        if (c == '"' && text[i] == '\\') ++i;
        ++i;
      }
      i += close.size();
      continue;
    }
    if (c == '#' && depth == 0) break;
    if (c == '#') {  // a comment inside a list runs to its line end
      while (i < text.size() && text[i] != '\n')
        ++i;
      continue;
    }
    if (c == '\n' && depth == 0) break;
    if (c == '[') ++depth;
    if (c == ']' && depth > 0) --depth;
    ++i;
  }
  i = std::min(i, text.size());
  while (i > from && std::isspace(static_cast<unsigned char>(text[i - 1])) != 0)
    --i;
  return i;
}

// What the value `valueText` of `key` reads as, alone; nullopt when it is not a valid value.
std::optional<Settings> readAlone(Key key, std::string_view name, std::string_view valueText) {
  try {
    const toml::table table = toml::parse(std::string(name) + " = " + std::string(valueText));
    const toml::node* node = table.get(name);
    Settings settings;
    std::vector<std::string> bad;
    if (node == nullptr || read(key, *node, settings, &bad) || !bad.empty()) return std::nullopt;
    return settings;
  } catch (const toml::parse_error&) {
    return std::nullopt;
  }
}

std::string shown(const toml::node& node) {
  if (const auto text = node.value_exact<std::string>()) return tomlString(*text);
  if (const toml::array* list = node.as_array()) {
    std::string out = "[";
    for (std::size_t i = 0; i < list->size(); ++i)
      out += (i ? ", " : "") + shown((*list)[i]);
    return out + "]";
  }
  std::ostringstream text;
  node.visit([&text](const auto& value) { text << value; });
  return text.str();
}

}  // namespace

bool Settings::excludes(std::string_view idOrClass) const {
  const std::string wanted = lower(withoutDesktopEnding(idOrClass));
  if (wanted.empty()) return false;
  return std::any_of(neverShowOver.begin(), neverShowOver.end(), [&](const std::string& name) {
    return lower(withoutDesktopEnding(name)) == wanted;
  });
}

Reading parse(std::string_view text, std::string_view fileName) {
  Reading reading;
  const std::string file(fileName);
  toml::table root;
  try {
    root = toml::parse(text, file);
  } catch (const toml::parse_error& e) {
    reading.problems.push_back(file + ":" + std::to_string(e.source().begin.line) +
                               ": not a TOML file (" + std::string(e.description()) +
                               "); using the defaults for every setting");
    return reading;
  }
  const Settings defaults;
  // The table keeps its keys sorted: the messages are put back in the file's order.
  std::vector<std::pair<std::size_t, std::string>> said;
  for (const auto& [name, node] : root) {
    const std::size_t line = node.source().begin.line;
    const std::string where = file + ":" + std::to_string(line) + ": " + std::string(name.str());
    const std::optional<Key> key = keyNamed(name.str());
    if (!key) {
      said.emplace_back(line, where + " is not a setting; ignored");
      continue;
    }
    std::vector<std::string> badEntries;
    if (const std::optional<std::string> expected =
            read(*key, node, reading.settings, &badEntries)) {
      said.emplace_back(line, where + " = " + shown(node) + " is " + *expected + "; using " +
                                  valueText(*key, defaults));
    }
    for (const std::string& entry : badEntries)
      said.emplace_back(line,
                        where + ": " + entry + " is not a desktop id or window class; left out");
  }
  std::stable_sort(said.begin(), said.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [line, message] : said)
    reading.problems.push_back(std::move(message));
  return reading;
}

std::string write(std::string_view text, const Settings& settings) {
  std::string out;
  std::array<bool, kKeys.size()> named{};
  std::size_t firstTable = std::string_view::npos;  // in `out`: where top-level keys end
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t lineEnd = std::min(text.find('\n', i), text.size());
    std::size_t k = i;
    while (k < lineEnd && (text[k] == ' ' || text[k] == '\t'))
      ++k;
    if (k < lineEnd && text[k] == '[' && firstTable == std::string_view::npos) {
      firstTable = out.size();
    }
    std::size_t nameEnd = k;
    while (nameEnd < lineEnd && isBareKeyChar(text[nameEnd]))
      ++nameEnd;
    std::size_t eq = nameEnd;
    while (eq < lineEnd && (text[eq] == ' ' || text[eq] == '\t'))
      ++eq;
    const std::string_view name = text.substr(k, nameEnd - k);
    const std::optional<Key> key = keyNamed(name);
    if (firstTable == std::string_view::npos && key && eq < lineEnd && text[eq] == '=') {
      std::size_t valueStart = eq + 1;
      while (valueStart < lineEnd && (text[valueStart] == ' ' || text[valueStart] == '\t'))
        ++valueStart;
      const std::size_t end = valueEnd(text, valueStart);
      const std::size_t index = static_cast<std::size_t>(*key);
      named[index] = true;
      const std::optional<Settings> said =
          readAlone(*key, name, text.substr(valueStart, end - valueStart));
      out += text.substr(i, valueStart - i);
      out += said && sameValue(*key, *said, settings)
                 ? std::string(text.substr(valueStart, end - valueStart))
                 : valueText(*key, settings);
      // The rest of the last line the value was on (a comment) stays.
      const std::size_t restEnd = std::min(text.find('\n', end), text.size());
      out += text.substr(end, restEnd - end);
      if (restEnd < text.size()) out += '\n';
      i = restEnd + 1;
      continue;
    }
    out += text.substr(i, lineEnd - i);
    if (lineEnd < text.size()) out += '\n';
    i = lineEnd + 1;
  }

  const Settings defaults;
  std::string added;
  for (const auto& [word, key] : kKeys) {
    if (named[static_cast<std::size_t>(key)] || sameValue(key, settings, defaults)) continue;
    added += std::string(word) + " = " + valueText(key, settings) + "\n";
  }
  if (added.empty()) return out;
  // Keys after a table header would belong to that table.
  if (firstTable != std::string_view::npos) return out.insert(firstTable, added);
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out + added;
}

std::string filePath(const char* xdgConfigHome, const char* home) {
  return configFile(xdgConfigHome, home, "tavrine/settings.toml").string();
}

}  // namespace tavrine::settings
