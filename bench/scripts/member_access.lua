local Bench = {x = 0, y = 0}
local function run(self)
  self.x, self.y = 0, 0
  for i = 0, 999999 do
    self.x = self.x + 1
    self.y = self.y + self.x % 7
  end
  return self.y
end
print(run(Bench))
