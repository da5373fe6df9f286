local function run()
  local a = {}
  for i = 0, 999 do a[#a + 1] = i end
  local s = 0
  for k = 0, 299 do
    for _, e in ipairs(a) do s = (s + e) % 1000003 end
  end
  return s
end
print(run())
