local function walk(d)
  if d == 0 then return 1 end
  return walk(d - 1) + walk(d - 1)
end
local function run()
  local s = 0
  for k = 0, 199 do s = s + walk(10) end
  return s
end
print(run())
