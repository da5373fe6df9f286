local function run()
  local s = 0
  for i = 0, 2999999 do s = (s + i * 7) % 1000003 end
  return s
end
print(run())
