local Point = {}
Point.__index = Point
local function new(v) return setmetatable({val = v}, Point) end
local function run()
  local s = 0
  for i = 0, 299999 do
    local p = new(i)
    s = (s + p.val) % 1000003
  end
  return s
end
print(run())
