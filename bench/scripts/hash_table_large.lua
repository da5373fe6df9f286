local function run()
  local h = {}
  local keys = {}
  for i = 0, 19999 do keys[i] = "key" .. i end
  for i = 0, 19999 do h[keys[i]] = i end
  local s = 0
  for k = 0, 4 do
    for i = 0, 19999 do s = (s + h[keys[i]]) % 1000003 end
  end
  return s
end
print(run())
