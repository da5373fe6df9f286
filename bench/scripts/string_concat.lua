local function run()
  local n = 0
  for i = 0, 99999 do
    local s = "item" .. i .. ","
    n = n + #s
  end
  return n
end
print(run())
