local Bench = {}
function Bench:add(a, b) return a + b end
local function run(self)
  local s = 0
  for i = 0, 999999 do s = self:add(s, i) % 65536 end
  return s
end
print(run(Bench))
