-- Driven by neovim_test.sh: Neovim's own LSP client against `scenario lsp`.
-- Writes what it saw, one fact a line, to $OUT.
local out = assert(io.open(os.getenv('OUT'), 'w'))
local function say(s) out:write(s .. '\n') end

vim.o.fileencodings = 'ucs-bom,utf-8,cp1252'
vim.cmd('edit ' .. vim.fn.fnameescape(os.getenv('SOURCE')))
local buf = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({
  name = 'scenario',
  cmd = { os.getenv('SCENARIO'), 'lsp' },
  root_dir = vim.fn.fnamemodify(os.getenv('SOURCE'), ':h'),
})
vim.lsp.buf_attach_client(buf, client)

if vim.wait(20000, function() return #vim.diagnostic.get(buf) > 0 end, 50) then
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    say(string.format('diagnostic %d:%d %s %s', d.lnum + 1, d.col, d.code or '-', d.message:gsub('\n', ' ')))
  end
else
  say('no diagnostics')
end

local params = {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  position = { line = tonumber(os.getenv('HOVER_LINE')) - 1, character = 12 },
}
local answers = vim.lsp.buf_request_sync(buf, 'textDocument/hover', params, 20000) or {}
for _, a in pairs(answers) do
  if a.result and a.result.contents then
    say('hover ' .. a.result.contents.value:gsub('\n', ' '))
  end
end
out:close()
vim.lsp.stop_client(client)
vim.cmd('qall!')
