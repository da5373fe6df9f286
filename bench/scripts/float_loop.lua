local function run()
  local x, t = 0.0, 0
  for i = 0, 1999999 do
    x = x + 0.75
    if x > 1000.0 then x = x - 1000.0; t = t + 1 end
  end
  return t * 100000 + math.floor(x * 4)
end
print(run())
