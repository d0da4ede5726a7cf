// The language server driven message by message, as an editor drives it.
#include "cli/lsp/server.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/lsp/json_rpc.h"
#include "cli/lsp/pairing.h"
#include "cli/lsp/serve.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "platform/cp1252.h"
#include "platform/memory_files.h"
#include "testing/session_fixture.h"

namespace lsp {
namespace {

using nlohmann::json;

const std::string kFolder = "/authors/orvena";
const std::string kLinePath = kFolder + "/Orvena_Lusco_linea.txt";
const std::string kTrainPath = kFolder + "/Orvena_Lusco_REG 4105-.txt";

std::string utf8(const std::string& cp1252) { return compactor::cp1252_to_utf8(cp1252); }

class Session {
 public:
  Session() : server_(files_) {
    files_.put(kLinePath, compactor::joined_lines(compactor::line_lines()));
    files_.put(kTrainPath, compactor::joined_lines(compactor::train_lines()));
  }

  std::vector<json> request(const std::string& method, json params) {
    return server_.handle(json{{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", std::move(params)}}.dump());
  }
  json result(const std::string& method, json params) {
    const auto out = request(method, std::move(params));
    EXPECT_EQ(out.size(), 1u);
    EXPECT_TRUE(out.at(0).contains("result")) << out.at(0).dump();
    return out.at(0).value("result", json());
  }
  void notify(const std::string& method, json params) {
    EXPECT_TRUE(server_.handle(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump()).empty());
  }
  void open(const std::string& path, const std::string& text, int version = 1) {
    notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri_of_path(path)}, {"languageId", "scenario"}, {"version", version}, {"text", text}}}});
  }
  void change(const std::string& path, const std::string& text, int version) {
    notify("textDocument/didChange",
           {{"textDocument", {{"uri", uri_of_path(path)}, {"version", version}}}, {"contentChanges", {{{"text", text}}}}});
  }
  // The diagnostics published for `path`, the last of them.
  json diagnostics_of(const std::string& path) {
    json found;
    for (const json& n : server_.publish())
      if (n.at("params").at("uri") == uri_of_path(path)) found = n.at("params");
    return found;
  }

  compactor::MemoryFiles files_;
  Server server_;
  int id_ = 0;
};

std::string carried_train() { return utf8(compactor::joined_lines(compactor::train_lines())); }

using compactor::testing::replaced;

TEST(LanguageServer, ABrokenStationIsToldAtItsFieldAndGoesWhenMended) {
  Session s;
  const json init = s.result("initialize", {{"capabilities", json::object()}});
  EXPECT_EQ(init.at("capabilities").at("textDocumentSync").at("change"), 1);
  s.notify("initialized", json::object());

  const std::string broken = replaced(carried_train(), "stazione,    3100, 12,  400", "stazione,    3100, 12,  450");
  s.open(kTrainPath, broken, 3);
  const json published = s.diagnostics_of(kTrainPath);
  EXPECT_EQ(published.at("version"), 3);
  const json& d = published.at("diagnostics");
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0].at("code"), "error 9");
  EXPECT_EQ(d[0].at("severity"), 1);
  EXPECT_EQ(d[0].at("range"), json::parse(R"({"start":{"line":53,"character":24},"end":{"line":53,"character":27}})"));
  EXPECT_NE(d[0].at("message").get<std::string>().find("zone length is not a multiple of 100"), std::string::npos);

  s.change(kTrainPath, carried_train(), 4);
  const json mended = s.diagnostics_of(kTrainPath);
  EXPECT_EQ(mended.at("version"), 4);
  EXPECT_TRUE(mended.at("diagnostics").empty()) << mended.dump(1);
}

TEST(LanguageServer, ABurstOfChangesIsCompiledOnceFromTheLastText) {
  Session s;
  s.result("initialize", json::object());
  s.open(kTrainPath, carried_train(), 1);
  s.change(kTrainPath, replaced(carried_train(), "3100, 12,  400", "3100, 12,  450"), 2);
  s.change(kTrainPath, carried_train(), 3);
  const auto out = s.server_.publish();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].at("params").at("version"), 3);
  EXPECT_TRUE(out[0].at("params").at("diagnostics").empty());
}

TEST(LanguageServer, HoverTellsWhatTheCompilerMadeOfARecordAndTheFieldsOfAKeyWord) {
  Session s;
  s.result("initialize", json::object());
  s.open(kTrainPath, carried_train());
  s.diagnostics_of(kTrainPath);
  const auto hover = [&](int line, int character) {
    const json h = s.result("textDocument/hover", {{"textDocument", {{"uri", uri_of_path(kTrainPath)}}},
                                                   {"position", {{"line", line}, {"character", character}}}});
    return h.is_null() ? std::string() : h.at("contents").at("value").get<std::string>();
  };
  // Line 116: "segnale,   29850,   2, 4, 1, ..."
  const std::string made = hover(115, 12);
  EXPECT_NE(made.find("cell 598 (from m 29850), signal: tipo 1, dato1 42, dato2 11"), std::string::npos) << made;
  EXPECT_NE(made.find("preavviso"), std::string::npos) << made;
  const std::string fields = hover(115, 2);
  EXPECT_NE(fields.find("**segnale** (signal)"), std::string::npos) << fields;
  EXPECT_NE(fields.find("- chainage (m)"), std::string::npos) << fields;
  EXPECT_EQ(hover(5000, 0), "");

  // With loading stopped at a station before it, the signal is told as it
  // would load past the error.
  s.change(kTrainPath, replaced(carried_train(), "3100, 12,  400", "3100, 12,  450"), 2);
  const std::string past = hover(115, 12);
  EXPECT_EQ(past.rfind("*Loading now stops at line 54 (error 9)", 0), 0u) << past;
  EXPECT_NE(past.find("cell 598 (from m 29850), signal: tipo 1, dato1 42, dato2 11"), std::string::npos) << past;
}

TEST(LanguageServer, OutlineFoldsAndCompletion) {
  Session s;
  s.result("initialize", json::object());
  s.open(kTrainPath, carried_train());
  const json symbols = s.result("textDocument/documentSymbol", {{"textDocument", {{"uri", uri_of_path(kTrainPath)}}}});
  int stations = 0, signals = 0;
  for (const json& sym : symbols) {
    stations += sym.value("detail", "") == "stazione";
    signals += sym.value("detail", "") == "segnale";
  }
  EXPECT_EQ(stations, 45);
  EXPECT_EQ(signals, 179);
  const json folds = s.result("textDocument/foldingRange", {{"textDocument", {{"uri", uri_of_path(kTrainPath)}}}});
  EXPECT_FALSE(folds.empty());
  EXPECT_EQ(folds[0].at("startLine"), 0);
  const json items = s.result("textDocument/completion", {{"textDocument", {{"uri", uri_of_path(kTrainPath)}}},
                                                          {"position", {{"line", 0}, {"character", 0}}}});
  bool signal = false;
  for (const json& i : items)
    if (i.at("label") == "segnale") {
      signal = true;
      EXPECT_EQ(i.at("insertText").get<std::string>().rfind("segnale, ${1:chainage}, ", 0), 0u) << i.dump();
    }
  EXPECT_TRUE(signal);
}

TEST(LanguageServer, ALoneSourceIsCheckedOnItsOwnWithAHint) {
  Session s;
  s.result("initialize", json::object());
  const std::string path = "/elsewhere/Solo_linea.txt";
  s.open(path, "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\npendnza,  600,  1\r\n[fine]\r\n");
  const json d = s.diagnostics_of(path).at("diagnostics");
  ASSERT_EQ(d.size(), 2u) << d.dump(1);
  EXPECT_NE(d[0].at("message").get<std::string>().find("did you mean \"pendenza\"?"), std::string::npos);
  EXPECT_EQ(d[0].at("range").at("start").at("line"), 3);
  EXPECT_EQ(d[1].at("severity"), 3);
  EXPECT_NE(d[1].at("message").get<std::string>().find("no train source beside it"), std::string::npos);
}

TEST(LanguageServer, ACharacterTheCodePageLacksIsToldWhereTheEditorHasIt) {
  Session s;
  s.result("initialize", json::object());
  const std::string text = replaced(carried_train(), "Orvena Tessaro", "Orvena Łessaro");
  s.open(kTrainPath, text);
  const json d = s.diagnostics_of(kTrainPath).at("diagnostics");
  ASSERT_EQ(d.size(), 1u) << d.dump(1);
  EXPECT_EQ(d[0].at("range").at("start"), json::parse(R"({"line":53,"character":79})"));
  EXPECT_NE(d[0].at("message").get<std::string>().find("U+0141"), std::string::npos);
}

TEST(LanguageServer, SureFixesOfWarningsAreCodeActions) {
  Session s;
  s.result("initialize", json::object());
  const std::string path = "/elsewhere/Solo_linea.txt";
  const std::string text =
      "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\npendnza,  600,  1\r\npendenza,  1250,   -4,5\r\n"
      "Montagna,  2000,  2500,  1\r\n[fine]\r\n";
  s.open(path, text);
  const json diagnostics = s.diagnostics_of(path).at("diagnostics");
  const struct {
    int line;
    const char* title;
    const char* replaced;
    const char* by;
  } fixes[] = {{3, "write \"pendenza\"", "pendnza", "pendenza"},
               {4, "write the whole number -4", "-4,5", "-4"}};
  for (const auto& f : fixes) {
    SCOPED_TRACE(f.title);
    json on_line = json::array();
    for (const json& d : diagnostics)
      if (d.at("range").at("start").at("line") == f.line) on_line.push_back(d);
    ASSERT_FALSE(on_line.empty()) << diagnostics.dump(1);
    const json actions = s.result("textDocument/codeAction", {{"textDocument", {{"uri", uri_of_path(path)}}},
                                                              {"range", on_line[0].at("range")},
                                                              {"context", {{"diagnostics", on_line}}}});
    ASSERT_EQ(actions.size(), 1u) << actions.dump(1);
    EXPECT_EQ(actions[0].at("title"), f.title);
    const json edit = actions[0].at("edit").at("changes").at(uri_of_path(path)).at(0);
    EXPECT_EQ(edit.at("newText"), f.by);
    // The edit's range covers exactly the text it replaces.
    const std::string line_text = text.substr(0, text.size());
    size_t start = 0;
    for (int k = 0; k < f.line; ++k) start = line_text.find('\n', start) + 1;
    const size_t a = edit.at("range").at("start").at("character"), b = edit.at("range").at("end").at("character");
    EXPECT_EQ(line_text.substr(start + a, b - a), f.replaced);
  }
}

TEST(LanguageServer, FormattingGivesBackTheCarriedLayout) {
  Session s;
  s.result("initialize", json::object());
  const std::string carried = utf8(compactor::joined_lines(compactor::line_lines()));
  s.open(kLinePath, replaced(replaced(carried, "curvas1,  1350,  150", "curvas1,1350,     150"), "[curve]", "[curve]"));
  const json edits = s.result("textDocument/formatting",
                              {{"textDocument", {{"uri", uri_of_path(kLinePath)}}}, {"options", json::object()}});
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0].at("range").at("start"), json::parse(R"({"line":0,"character":0})"));
  EXPECT_EQ(edits[0].at("newText"), carried);
  s.change(kLinePath, carried, 2);
  EXPECT_TRUE(s.result("textDocument/formatting", {{"textDocument", {{"uri", uri_of_path(kLinePath)}}}}).empty());
}

TEST(LanguageServer, WhatAClientGetsWrongIsAnsweredByTheProtocolsErrors) {
  compactor::MemoryFiles files;
  Server server(files);
  const auto code = [&](const std::string& body) {
    const auto out = server.handle(body);
    return out.size() == 1 && out[0].contains("error") ? out[0]["error"]["code"].get<int>() : 0;
  };
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{}})"), -32002);
  EXPECT_EQ(code("{not json"), -32700);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":2,"method":"initialize","params":{}})"), 0);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":3,"method":"no/such/method"})"), -32601);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":4,"method":"textDocument/hover","params":{"position":1}})"), -32602);
  EXPECT_EQ(code(R"([1,2])"), -32600);
  EXPECT_TRUE(server.handle(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{}})").size() == 1)
      << "a broken notification is logged, not answered";
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":5,"method":"shutdown"})"), 0);
  EXPECT_FALSE(server.exited());
  server.handle(R"({"jsonrpc":"2.0","method":"exit"})");
  EXPECT_TRUE(server.exited());
  EXPECT_EQ(server.exit_status(), 0);
}

TEST(LanguageServer, OnAStreamItStopsAtBadFramingOrTheEndAndWritesOnlyTheProtocol) {
  const struct {
    const char* what;
    std::string input;
    int status;
  } cases[] = {
      {"shutdown and exit",
       frame({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}}) +
           frame({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}}) + frame({{"jsonrpc", "2.0"}, {"method", "exit"}}),
       0},
      {"exit without shutdown", frame({{"jsonrpc", "2.0"}, {"method", "exit"}}), 1},
      {"the input ends", frame({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}}), 1},
      {"a huge body announced", "Content-Length: 99999999999\r\n\r\n{}", 1},
      {"no length", "Content-Type: x\r\n\r\n{}", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    compactor::MemoryFiles files;
    std::istringstream in(c.input);
    std::ostringstream out, log;
    EXPECT_EQ(serve(in, out, log, files), c.status);
    const std::string written = out.str();
    if (!written.empty()) {
      EXPECT_EQ(written.rfind("Content-Length: ", 0), 0u) << written;
    }
  }
}

}  // namespace
}  // namespace lsp
