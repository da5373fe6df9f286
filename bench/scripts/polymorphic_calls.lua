-- One call site over objects of eight classes, as in polymorphic_calls.zunka.
local objs = {}
for k = 0, 7 do
  local class = {}
  class.__index = class
  function class:value(i) return i + k end
  objs[k + 1] = setmetatable({}, class)
end
local function run()
  local s = 0
  for i = 0, 999999 do s = (s + objs[i % 8 + 1]:value(i)) % 65536 end
  return s
end
print(run())
