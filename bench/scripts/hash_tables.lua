local function run()
  local h = {}
  for i = 0, 1999 do h[i] = i * 2 end
  local s = 0
  for k = 0, 19 do
    for i = 0, 1999 do s = (s + h[i]) % 1000003 end
  end
  return s
end
print(run())
